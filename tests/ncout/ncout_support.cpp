#include "ncout/ncout_support.h"

#include <stdlib.h>

#include "common/profile.h"
#include "common/textfile.h"

namespace fs = std::filesystem;

namespace drilling::testing {

NcFolderTest::NcFolderTest() {
  std::string pattern = (fs::temp_directory_path() / "ncout-XXXXXX").string();
  folder = mkdtemp(pattern.data());
  SetProgramFolder(ctx, folder);
  for (const char* sub : {"DB", "ncdata", "trycut", "DXF"}) fs::create_directories(folder / sub);
  ctx.currentJobPath = folder / "DB" / "job.ini";
  ctx.ui = &ui;
  ctx.transport = &transport;
  ctx.launcher = &launcher;
  ctx.messageWindowClass = "DrillingMessage";
  ctx.messageWindowName = "test";
}

NcFolderTest::~NcFolderTest() {
  std::error_code ec;
  fs::remove_all(folder, ec);
  common::ForgetCachedProfiles();
}

void NcFolderTest::WriteText(const fs::path& path, std::string_view utf8Text) {
  ASSERT_TRUE(common::WriteFileAtomic(path, Cp932(utf8Text)));
  common::ForgetCachedProfiles();
}

std::string NcFolderTest::Bytes(const fs::path& path) {
  std::string bytes;
  return common::ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

std::string NcFolderTest::Golden(std::string_view name) const {
  return Bytes(fs::path(DRILLING_SOURCE_DIR) / "tests" / goldenFolder / "golden" / std::string(name));
}

std::string NcFolderTest::Cp932(std::string_view utf8Text) { return common::ToCp932CrLf(utf8Text); }

std::string NcFolderTest::LastErrorBox() const {
  for (auto it = ui.boxes.rbegin(); it != ui.boxes.rend(); ++it)
    if (it->icon == common::BoxIcon::Error) return it->text;
  return "";
}

int NcFolderTest::ErrorBoxCount() const {
  int count = 0;
  for (const auto& box : ui.boxes) count += box.icon == common::BoxIcon::Error;
  return count;
}

bool NcFolderTest::Reported(std::string_view line) const {
  for (const auto& l : lines)
    if (l == line) return true;
  return false;
}

}  // namespace drilling::testing
