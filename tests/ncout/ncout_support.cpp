#include "ncout/ncout_support.h"

#include <stdlib.h>

#include "common/profile.h"
#include "common/textfile.h"
#include "gcode/gcode_reader.h"
#include "gcode/nc_check.h"

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

ReadBack ReadBackProgram(std::string_view bytes) {
  ReadBack back;
  gcode::ReaderOptions options;
  options.keepStates = true;
  back.program = gcode::ReadProgram(bytes, options);
  const gcode::Program& p = back.program;
  std::vector<std::string>& problems = back.problems;
  for (const gcode::Diagnostic& d : gcode::CheckProgram(p, {}).findings) problems.push_back(d.Text());
  auto problem = [&](int line, const std::string& text) { problems.push_back("line " + std::to_string(line) + ": " + text); };

  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t nl = bytes.find('\n', start);
    if (nl == std::string_view::npos) {
      problems.push_back("last line without a line end");
      break;
    }
    if (nl == start || bytes[nl - 1] != '\r') problem(static_cast<int>(lines.size()) + 1, "line end without CR");
    lines.push_back(bytes.substr(start, nl > start ? nl - start - 1 : 0));
    start = nl + 1;
  }
  if (lines.size() < 2 || lines.front() != "%" || lines.back() != "%") problems.push_back("program not framed by % lines");
  if (p.programNumberLine != 2) problems.push_back("program number not on the first line");

  for (const gcode::Hole& h : p.holes) {
    if (!h.absolute) problem(h.line, "hole in incremental mode");
    if (h.tool < 0) problem(h.line, "hole without a tool");
    if (h.lengthOffset < 0) problem(h.line, "hole without a length offset");
    if (!h.coolant) problem(h.line, "hole without coolant");
    const std::string_view text = h.line <= static_cast<int>(lines.size()) ? lines[h.line - 1] : "";
    if (!text.starts_with("G") && text.find_first_of("RZQ") != std::string_view::npos)
      problem(h.line, "depth words on a hole line");
  }
  for (std::size_t i = 1; i < p.states.size(); ++i) {
    const gcode::LineState& before = p.states[i - 1].second;
    if (p.states[i].second.tool != before.tool && (before.spindle == 3 || before.spindle == 4))
      problem(p.states[i].first, "tool change with the spindle running");
  }
  if (p.StateAfter(p.lineCount).cycle != 0) problems.push_back("canned cycle left active");
  return back;
}

}  // namespace drilling::testing
