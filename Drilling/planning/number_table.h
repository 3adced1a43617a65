// The hand-maintained tables of numbers (condition tables and hole dimension
// tables): a stream of decimal numbers separated by white space, read in
// groups of a fixed row width wherever the line breaks fall.
//
// The tables are typed by hand, so the reader is strict about what it
// accepts and stops at the first thing that is not a plain number: text,
// "nan" or "inf", a number too long to be a typed value, or a last row with
// too few numbers (unless it starts with 0: the end row written short). The
// caller reports the problem; nothing after it is read. A negative value in
// a column that cannot be negative does not stop the scan: it is a fault of
// its row only, which the look-up rejects when it takes that row (RowProblem,
// Reject); a row the look-up passes over does not fail it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace drilling {

// Widest row of any table.
constexpr int kMaxTableRowWidth = 6;
// A table larger than this is not a hand-maintained table (the tables hold a
// few dozen rows; this is room for about forty thousand).
constexpr std::uintmax_t kMaxTableFileBytes = 1024 * 1024;
// Longest number text accepted ("-12345.678" is ten characters).
constexpr std::size_t kMaxNumberChars = 24;

enum class TableLoad {
  Ok,
  Missing,      // nothing of that name
  NotReadable,  // a folder, a device, or a read error
  TooLarge,     // larger than kMaxTableFileBytes
};

// Reads the whole table file into `bytes`.
TableLoad LoadTableFile(const std::filesystem::path& path, std::string& bytes);

enum class RowRead {
  Row,  // `row` holds a full row
  End,  // the end of the text, no numbers left over (or only a short last
        // group starting with 0: the end row written short)
  Bad,  // the scan stopped at a problem (see Problem())
};

class NumberRowReader {
 public:
  // `width` numbers per row (1..kMaxTableRowWidth). Bit c of
  // `negativeColumns` allows a negative value in column c + 1; every other
  // column must be 0 or above.
  NumberRowReader(std::string_view text, int width, unsigned negativeColumns = 0);

  // The next row into row[0 .. width-1]; the array must hold `width` values.
  // After End or Bad every later call gives the same result again.
  RowRead Next(double* row);

  // After Bad: what stopped the scan, in Japanese, with the line number
  // ("3 行目に数値でないデータがあります").
  const std::string& Problem() const { return problem_; }

  // Empty when the last row read is sound; otherwise what is wrong with it
  // ("3 行目の 2 列目に負の数値があります").
  const std::string& RowProblem() const { return rowProblem_; }
  // Stops the scan with `problem` (a RowProblem() kept by the caller): later
  // calls give Bad and Problem() tells it.
  RowRead Reject(const std::string& problem);
  // Line (1-based) where the last row read starts.
  int RowLine() const { return rowLine_; }

 private:
  // Reject with "<line> 行目" and `rest`.
  RowRead RejectAtLine(int line, const std::string& rest);

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  int width_;
  unsigned negativeColumns_;
  int rowLine_ = 0;
  RowRead stopped_ = RowRead::Row;
  std::string problem_;
  std::string rowProblem_;
};

}  // namespace drilling
