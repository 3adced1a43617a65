// A small G-code reader of its own for the tests: it knows nothing of the
// writer, reads a program the way a FANUC-type control would (words, modal
// canned cycles 81/82/83/73/84 until G80) and lists every hole drilled, with
// the state of the machine when it was drilled. Anything a control would
// refuse or that would break a tool is reported as a problem.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drilling::testing {

struct DrilledHole {
  int tool = 0;
  int lengthOffset = 0;
  int cycle = 0;
  double xMm = 0, yMm = 0, rMm = 0, zMm = 0, qMm = 0;
  int feedMmPerMin = 0;
  int spindleRpm = 0;
};

struct GcodeReading {
  std::vector<DrilledHole> holes;
  std::vector<std::string> problems;  // empty for a sound program
  int programNumber = -1;
  int toolChanges = 0;
};

// `bytes` is the file as stored (CR LF required on every line).
GcodeReading ReadGcode(std::string_view bytes);

}  // namespace drilling::testing
