// A reader of FANUC-type drilling programs: the subset our NC writer emits
// and what hand edits commonly add (G00-G03 with I/J or R, G04, G17, G20/G21,
// G28/G30, G40-G42, G43/G49 with H, G54-G59 and G54.1 P, the canned cycles
// G73, G74, G80-G89 with repeats (K or L) and the dwell P in milliseconds,
// G90/G91, G98/G99, T and M06, S with M03/M04/M05, M07-M09, F, M00/M01/M02/
// M30). It moves no machine: it lists what a control would do.
//
// Each line goes through four steps, one function each: split it into words,
// refuse two codes of one modal group, check every value against the state,
// then act in the order of execution (feed, speed, tool, spindle, coolant,
// dwell, plane, units, compensation, length offset, coordinate system,
// distance mode, return level, reference return or motion, stop). A refused
// block is an error diagnostic and changes nothing; a word or code the reader
// does not know is a warning and is ignored.
#pragma once

#include <string_view>

#include "gcode/program.h"

namespace gcode {

struct ReaderOptions {
  // Where G28 and G30 end, in work coordinates: the machine's own reference
  // point is not in the program, so a point above the work stands for it.
  Point referenceMm{0, 0, 100};
  double peckClearanceMm = 0.25;
};

// `bytes` is the file as stored (CR LF or LF line ends). Reading starts after
// a first line of "%" and stops at the next "%" line, as a control does.
Program ReadProgram(std::string_view bytes, const ReaderOptions& options = {});

// The tool diameter a comment gives as "D<number>" ("DRILL D8.5" gives 8.5);
// 0 when it gives none.
double DiameterInComment(std::string_view comment);

}  // namespace gcode
