#include "gcode/job_facts.h"

#include <system_error>

#include "common/file_keys.h"
#include "common/profile.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace gcode {
namespace {

namespace job = filekeys::job;

std::string Read(const fs::path& file, const filekeys::Key& key) {
  return common::ReadProfileKey(key, file);
}

bool ReadNumber(const fs::path& file, const filekeys::Key& key, double& value) {
  return common::ParseNumber(Read(file, key), &value);
}

}  // namespace

bool ReadJobFacts(const fs::path& jobFile, JobFacts& facts) {
  std::error_code ec;
  if (!fs::is_regular_file(jobFile, ec)) return false;
  facts = JobFacts{};
  facts.file = jobFile;
  facts.title = Read(jobFile, job::kTitle);
  facts.hasStock = ReadNumber(jobFile, job::kStockX, facts.stockXMm) && ReadNumber(jobFile, job::kStockY, facts.stockYMm) &&
                   ReadNumber(jobFile, job::kStockZ, facts.stockZMm) &&
                   ReadNumber(jobFile, job::kOriginX, facts.originXMm) &&
                   ReadNumber(jobFile, job::kOriginY, facts.originYMm);
  std::string number = std::string(common::Trim(Read(jobFile, job::kProgramNumberForCheck)));
  if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos)
    facts.programNumber = common::LeadingDigitsValue(number);
  return true;
}

fs::path FindJobOfProgram(const fs::path& jobFolder, std::string_view programFileName) {
  std::error_code ec;
  fs::directory_iterator it(jobFolder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (!common::EqualsNoCase(it->path().extension().string(), ".ini") || !it->is_regular_file(ec)) continue;
    std::string ncFile = Read(it->path(), job::kNcFile);
    if (!ncFile.empty() && common::EqualsNoCase(ncFile, programFileName)) return it->path();
  }
  return {};
}

}  // namespace gcode
