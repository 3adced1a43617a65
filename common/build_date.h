// The build-date text of a program file: its last-write time in local time.
#pragma once

#include <filesystem>
#include <string>

namespace common {

// "%d/%02d/%02d %02d:%02d:%02d" of the last-write time of `path` (the running
// executable when `path` is empty) into `out`; 0, or -1 when the file cannot
// be opened for reading (`out` is then left as it was).
int GetBuildDateText(const std::filesystem::path& path, std::string& out);

// The compile date of this build as year, month, day (from __DATE__).
int BuildYear();
int BuildMonth();
int BuildDay();

}  // namespace common
