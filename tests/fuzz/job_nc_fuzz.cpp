// A hand-edited job file: its main fields and hole groups are read into the
// main form, and the NC writer runs over it with its process list. Nothing
// crashes; every field read is valid UTF-8 within the room of the job read;
// every number the writer puts in the program is a plain finite number no
// longer than the widest value a job can store (15 characters). The input is the job file; the program
// folder holds the shipped Drilling.ini.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "Drilling/app/context.h"
#include "Drilling/app/main_window.h"
#include "Drilling/job/job_file.h"
#include "Drilling/ncout/nc_writer.h"
#include "common/clock.h"
#include "common/launch.h"
#include "common/memory_form.h"
#include "common/message_transport.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/textfile.h"
#include "common/ui.h"
#include "fuzz_check.h"

namespace fs = std::filesystem;

namespace {

struct Program {
  drilling::Context ctx;
  common::ScriptedUi ui;
  common::RecordingLauncher launcher;
  common::FixedClock clock;
  common::CallbackTransport transport{[](const std::string&) {}};

  Program() {
    const fs::path folder = fuzzsupport::ScratchFolder();
    drilling::SetProgramFolder(ctx, folder);
    fs::create_directories(ctx.JobFolder());
    fs::create_directories(ctx.NcFolder());
    fs::copy_file(fs::path(DRILLING_SOURCE_DIR) / "dist" / "Drilling.ini", ctx.configPath,
                  fs::copy_options::overwrite_existing);
    ctx.currentJobPath = ctx.JobFolder() / "FUZZ.ini";
    ctx.messageWindowClass = "DrillingMessage";
    ctx.messageWindowName = "fuzz";
    ctx.ui = &ui;
    ctx.transport = &transport;
    ctx.launcher = &launcher;
    ctx.clock = &clock;
  }
};

bool IsPlainNumber(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9') {
      digits = true;
    } else if (s[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

// The words of every line the writer formats: a letter and a number.
// Comment lines and the coordinate system (text of the job, passed through)
// are not numbers of the writer.
void CheckProgram(const std::string& bytes, const std::string& coordSystem) {
  const std::string text = common::Cp932ToUtf8(bytes);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    FUZZ_CHECK(end != std::string::npos);  // every line ends with CR LF
    std::string_view line(text.data() + start, end - start);
    start = end + 2;
    if (line.empty() || line.front() == '(') continue;
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && line[i] == ' ') ++i;
      std::size_t j = i;
      while (j < line.size() && line[j] != ' ') ++j;
      std::string_view word = line.substr(i, j - i);
      i = j;
      if (word.size() < 2 || word == coordSystem) continue;
      const char c = word[1];
      if (!((c >= '0' && c <= '9') || c == '-' || c == '.' || c == '+')) continue;
      std::string_view number = word.substr(1);
      FUZZ_CHECK(IsPlainNumber(number));
      FUZZ_CHECK(number.size() <= 15);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Program program;
  drilling::Context& ctx = program.ctx;
  {
    std::ofstream out(ctx.currentJobPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  common::ForgetCachedProfiles();
  ctx.messageBuffer.clear();
  program.ui.boxes.clear();

  common::MemoryForm main{drilling::MainDialogTemplate()};
  FUZZ_CHECK(drilling::ReadJobFile(ctx, main) == 0);
  // A value too wide for its field is shown whole (and reported), so a field
  // may hold up to what the job read takes of one value: 64 KiB of code page
  // 932, up to three times as many bytes of UTF-8.
  for (const auto& control : main.Template().controls) {
    const std::string value = main.FullText(control.id);
    FUZZ_CHECK(fuzzsupport::IsUtf8(value));
    FUZZ_CHECK(common::Utf8ToCp932(value).size() < (1u << 16));
  }

  const int result = drilling::WriteNcProgram(ctx, nullptr, "FANUC 0i-MF");
  const std::string ncFile = common::ReadProfileText("Drilling", "NcFile", "", 64, ctx.currentJobPath);
  if (result == 0) {
    FUZZ_CHECK(drilling::IsPlainFileName(ncFile));
    std::string bytes;
    FUZZ_CHECK(common::ReadFileBytes(ctx.NcFolder() / ncFile, bytes));
    // The writer takes only a word of ASCII letters, digits and points, so it
    // stands in the program as the job file holds it.
    const std::string coordSystem = common::ReadProfileText("Drilling", "座標系", "", 8, ctx.currentJobPath);
    FUZZ_CHECK(drilling::IsCoordinateSystemWord(coordSystem));
    CheckProgram(bytes, coordSystem);
  } else if (drilling::IsPlainFileName(ncFile)) {
    FUZZ_CHECK(!fs::exists(ctx.NcFolder() / ncFile));  // a failed run leaves no program under its name
  }
  // Nothing of this run is left for the next one.
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(ctx.NcFolder(), ec)) fs::remove_all(entry.path(), ec);
  return 0;
}
