// The number stream of the condition and dimension tables: every row read
// holds finite numbers, and a row with a negative value where the column
// forbids it carries its row problem; the scan
// ends (End or Bad) and stays ended; a stop always says why. The first two
// bytes choose the row width and the columns that may be negative.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "Drilling/planning/number_table.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int width = 1 + data[0] % drilling::kMaxTableRowWidth;
  const unsigned negative = data[1] & ((1u << width) - 1);
  std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  drilling::NumberRowReader reader(text, width, negative);
  double row[drilling::kMaxTableRowWidth];
  std::size_t rows = 0;
  drilling::RowRead r;
  while ((r = reader.Next(row)) == drilling::RowRead::Row) {
    ++rows;
    // Every number takes at least one character and a separator.
    FUZZ_CHECK(rows * static_cast<std::size_t>(width) <= text.size() / 2 + 1);
    for (int c = 0; c < width; ++c) {
      FUZZ_CHECK(std::isfinite(row[c]));
      // A negative value where none belongs is a fault of its row, which says so.
      if (!(negative & (1u << c)) && row[c] < 0) FUZZ_CHECK(!reader.RowProblem().empty());
    }
    FUZZ_CHECK(reader.RowLine() >= 1);
  }
  if (r == drilling::RowRead::Bad) FUZZ_CHECK(!reader.Problem().empty());
  FUZZ_CHECK(reader.Next(row) == r);
  return 0;
}
