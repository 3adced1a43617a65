#include "Drillview/open_file.h"

#include <system_error>

#include "common/text.h"
#include "common/textfile.h"
#include "gcode/gcode_reader.h"
#include "gcode/job_facts.h"
#include "gcode/nc_check.h"

namespace fs = std::filesystem;

namespace drillview {
namespace {

// A DXF file starts with the group "0 / SECTION"; the extension alone is
// not trusted either way.
bool LooksLikeDxf(const fs::path& file, std::string_view bytes) {
  std::string_view head = common::Trim(bytes.substr(0, 64));
  bool dxfStart = head.size() > 1 && head[0] == '0' && common::Trim(head.substr(1)).rfind("SECTION", 0) == 0;
  return dxfStart || common::EqualsNoCase(file.extension().string(), ".dxf");
}

}  // namespace

bool OpenForView(const fs::path& file, const fs::path& programFolder, Scene& scene, std::string& error) {
  std::string bytes;
  std::error_code ec;
  if (!fs::is_regular_file(file, ec) || !common::ReadFileBytes(file, bytes)) {
    error = "ファイルが読めません: " + file.string();
    return false;
  }
  if (LooksLikeDxf(file, bytes)) {
    dxf::Drawing drawing;
    std::string why;
    if (!dxf::ReadDxf(bytes, drawing, why)) {
      error = "DXFファイルとして読めません: " + file.string() + " (" + why + ")";
      return false;
    }
    scene = DrawingScene(drawing);
    return true;
  }
  gcode::Program program = gcode::ReadProgram(bytes);
  gcode::JobFacts job;
  bool haveJob = false;
  const std::string name = file.filename().string();
  for (const fs::path& folder : {file.parent_path().parent_path() / "DB", programFolder / "DB"}) {
    fs::path jobFile = gcode::FindJobOfProgram(folder, name);
    if (!jobFile.empty() && gcode::ReadJobFacts(jobFile, job)) {
      haveJob = true;
      break;
    }
  }
  gcode::CheckOptions options;
  if (haveJob) options.job = &job;
  gcode::CheckResult check = gcode::CheckProgram(program, options);
  scene = ProgramScene(program, check, haveJob ? &job : nullptr);
  return true;
}

}  // namespace drillview
