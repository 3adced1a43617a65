// First step of reading a block: the line split into its words and comments,
// nothing interpreted yet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gcode/gcode_codes.h"

namespace gcode {

struct Word {
  char letter = 0;        // upper case
  double value = 0;       // 0 when the number does not fit a double (`fits` false)
  std::string_view text;  // the number as written ("-12.5"), points into the line
  bool point = false;     // written with a decimal point
  bool fits = true;       // false: more digits than any control takes, or beyond a double
};

struct Block {
  int line = 0;
  std::vector<Word> words;
  std::string comment;   // the comments of the line, as stored (code page of the file), cut
};

// The longest comment a block keeps (bytes): enough for any tool name, and a
// comment line of megabytes costs nothing.
inline constexpr std::size_t kMostCommentBytes = 200;

// Splits one line (its line end removed). Blanks between and inside words are
// ignored, "(...)" is a comment, ";" ends the block (as FANUC screens show
// it), a leading "/" (block delete) is read as an ordinary block. False, with
// the error in `diagnostics`, when the line cannot be split into words.
bool SplitBlock(std::string_view line, int lineNo, Block& block, std::vector<Diagnostic>& diagnostics);

}  // namespace gcode
