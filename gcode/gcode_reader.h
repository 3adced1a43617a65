// A reader of FANUC-type drilling programs: the subset our NC writer emits
// and what hand edits and other CAM systems commonly add (G00-G03 with I/J or
// R, G04, G17, G20/G21, G28/G30, G53, G40-G42, G43/G49 with H, G54-G59 and
// G54.1 P, the canned cycles of gcode/canned_cycle.h with repeats (K or L)
// and the dwell P in milliseconds, G90/G91, G94, G98/G99, T and M06, S with
// M03/M04/M05, M07-M09, M29, F, M00/M01/M02/M30). It moves no machine: it
// lists what a control would do.
//
// Each line goes through four steps, one function each: split it into words,
// refuse two codes of one modal group, check every value against the state
// and the range its address takes, then act in the order of execution (feed,
// speed, tool, spindle, coolant, dwell, plane, units, compensation, length
// offset, coordinate system, distance mode, return level, reference return
// or motion, stop). A refused block is an error diagnostic and changes
// nothing; a word or code the reader does not know is a warning and is
// ignored.
//
// Numbers are read as a FANUC control reads them by default (parameter DPI
// off): a length without a decimal point counts in the least input increment,
// X10 being 0.010 mm (0.0010 inch in G20), and the first such word of each
// address is warned about. `calculatorInput` reads them as millimetres
// (inches), for controls set that way.
#pragma once

#include <string_view>

#include "gcode/program.h"

namespace gcode {

struct ReaderOptions {
  // Where G28 and G30 end, in work coordinates: the machine's own reference
  // point is not in the program, so a point above the work stands for it.
  Point referenceMm{0, 0, 100};
  double peckClearanceMm = 0.25;
  // Lengths without a decimal point in millimetres (inches), not in units of
  // the least input increment.
  bool calculatorInput = false;
  // Program::states kept (a state of some hundred bytes per block: the
  // viewer of a large program does without).
  bool keepStates = false;
};

// `bytes` is the file as stored (CR LF or LF line ends, a UTF-8 byte order
// mark at the start skipped). Reading starts after a first line of "%" and
// stops at the next "%" line, as a control does. The motions, holes and
// diagnostics go to `sink` as they are read (diagnostics at most
// kMostDiagnosticsPerCode of one code, then one that counts the rest).
ProgramFacts ReadProgram(std::string_view bytes, const ReaderOptions& options, ReadSink& sink);

// The same, everything kept (diagnostics in line order).
Program ReadProgram(std::string_view bytes, const ReaderOptions& options = {});

// The tool diameter a comment gives as "D<number>" ("DRILL D8.5" gives 8.5);
// 0 when it gives none, or a number beyond any tool.
double DiameterInComment(std::string_view comment);

}  // namespace gcode
