// What the program check and the viewer take from a job definition file:
// the stock, the work origin and the program number.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace gcode {

struct JobFacts {
  std::filesystem::path file;
  std::string title;
  bool hasStock = false;        // all five values below are numbers
  double stockXMm = 0, stockYMm = 0, stockZMm = 0;
  double originXMm = 0, originYMm = 0;  // the work origin from the stock's lower-left corner
  int programNumber = -1;       // -1 when the job has none

  // The stock outline in work coordinates (Z0 is the stock's top face).
  double MinX() const { return -originXMm; }
  double MinY() const { return -originYMm; }
  double MaxX() const { return stockXMm - originXMm; }
  double MaxY() const { return stockYMm - originYMm; }
};

// False when the file does not exist.
bool ReadJobFacts(const std::filesystem::path& jobFile, JobFacts& facts);

// The job file in `jobFolder` whose NcFile names `programFileName` (compared
// without regard to case); empty when none does.
std::filesystem::path FindJobOfProgram(const std::filesystem::path& jobFolder, std::string_view programFileName);

}  // namespace gcode
