#include "common/build_date.h"

#include <cstring>
#include <ctime>
#include <fstream>

#include "common/platform.h"
#include "common/text.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace common {

int GetBuildDateText(const std::filesystem::path& path, std::string& out) {
  std::filesystem::path file = path.empty() ? ExecutablePath() : path;
  {
    std::ifstream probe(file, std::ios::binary);
    if (!probe) return -1;
  }
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  std::time_t t = st.st_mtime;
  std::tm tm{};
  localtime_r(&t, &tm);
  out = FormatText("%d/%02d/%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                   tm.tm_min, tm.tm_sec);
  return 0;
}

namespace {
// __DATE__ is "Mmm dd yyyy".
constexpr const char* kDate = __DATE__;
}

int BuildYear() { return ParseLeadingInt(kDate + 7); }

int BuildMonth() {
  static const char* months = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const char* at = std::strstr(months, std::string(kDate, 3).c_str());
  return at ? static_cast<int>((at - months) / 3) + 1 : 1;
}

int BuildDay() { return ParseLeadingInt(kDate + 4); }

}  // namespace common
