#include "gcode/job_facts.h"

#include <system_error>

#include "common/profile.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace gcode {
namespace {

constexpr std::size_t kRoomNumber = 16;  // numbers are stored with at most 15 characters
constexpr std::size_t kRoomTitle = 64;
constexpr std::size_t kRoomNcFile = 32;

bool ReadNumber(const fs::path& file, const char* key, double& value) {
  std::string text = common::ReadProfileText("Drilling", key, "", kRoomNumber, file);
  return common::ParseNumber(text, &value);
}

}  // namespace

bool ReadJobFacts(const fs::path& jobFile, JobFacts& facts) {
  std::error_code ec;
  if (!fs::is_regular_file(jobFile, ec)) return false;
  facts = JobFacts{};
  facts.file = jobFile;
  facts.title = common::ReadProfileText("Drilling", "title", "", kRoomTitle, jobFile);
  facts.hasStock = ReadNumber(jobFile, "材料X", facts.stockXMm) && ReadNumber(jobFile, "材料Y", facts.stockYMm) &&
                   ReadNumber(jobFile, "材料Z", facts.stockZMm) && ReadNumber(jobFile, "原点X", facts.originXMm) &&
                   ReadNumber(jobFile, "原点Y", facts.originYMm);
  std::string number = std::string(common::Trim(common::ReadProfileText("Drilling", "Ｏ番号", "", kRoomNumber, jobFile)));
  if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos)
    facts.programNumber = common::LeadingDigitsValue(number);
  return true;
}

fs::path FindJobOfProgram(const fs::path& jobFolder, std::string_view programFileName) {
  std::error_code ec;
  fs::directory_iterator it(jobFolder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (!common::EqualsNoCase(it->path().extension().string(), ".ini") || !it->is_regular_file(ec)) continue;
    std::string ncFile = common::ReadProfileText("Drilling", "NcFile", "", kRoomNcFile, it->path());
    if (!ncFile.empty() && common::EqualsNoCase(ncFile, programFileName)) return it->path();
  }
  return {};
}

}  // namespace gcode
