// Public programs nobody here wrote (tests/gcode/corpus, see its README),
// read with the numbers as their control reads them: the holes drilled
// before the first refused block, as LinuxCNC's rs274 drills them there, and
// an error exactly on the blocks a control refuses.
#include <gtest/gtest.h>

#include "gcode/gcode_reader.h"
#include "gcode/nc_check.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::vector<int> Lines(int from, int to) {
  std::vector<int> lines;
  for (int l = from; l <= to; ++l) lines.push_back(l);
  return lines;
}

TEST(GcodeCorpus, HolesAndErrorsWhereTheyAreDue) {
  struct Case {
    const char* file;
    bool calculatorInput;   // written for a control that reads "x3" as 3 units
    std::size_t holes;      // before the first error line
    std::vector<int> errorLines;
    std::size_t warnings;
  };
  const Case cases[] = {
      // Milling with arcs, no cycle: clean.
      {"example1.gcode", true, 0, {}, 0},
      // The same read as a FANUC control reads it by default: x7 is 0.007 mm,
      // and an arc's end no longer lies on its circle.
      {"example1.gcode", false, 0, {19}, 4},
      // Expressions and parameters ([...], #1) on every line but the first
      // and the last; the feed move of line 1 with the spindle stopped.
      {"example2.gcode", true, 0, Lines(2, 47), 1},
      // Canned cycles: 15 holes in the XY plane up to line 12 (rs274: 15, at
      // the same X and Y); G87 with a negative K is refused, so are the other
      // planes (G18, G19) and what follows them in this reading.
      {"example3.gcode", true, 15, {13, 14, 19, 22, 31, 32, 36}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.calculatorInput ? " (calculator input)" : ""));
    gcode::ReaderOptions options;
    options.calculatorInput = c.calculatorInput;
    const std::string bytes = testsupport::ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "tests/gcode/corpus" / c.file);
    ASSERT_FALSE(bytes.empty());
    const gcode::Program p = gcode::ReadProgram(bytes, options);
    std::vector<int> errors;
    std::size_t warnings = 0;
    for (const gcode::Diagnostic& d : gcode::ReadAndCheck(bytes, options, {}).findings) {
      if (gcode::IsError(d.code)) errors.push_back(d.line);
      else ++warnings;
    }
    EXPECT_EQ(errors, c.errorLines);
    const int firstError = errors.empty() ? 1 << 30 : errors.front();
    std::size_t before = 0;
    for (const gcode::Hole& h : p.holes) before += h.line < firstError;
    EXPECT_EQ(before, c.holes);
    if (c.file == std::string("example3.gcode")) continue;  // what follows a refused plane is no reading to count
    EXPECT_EQ(warnings, c.warnings);
  }
}

}  // namespace
