#include "Drilling/planning/number_table.h"

#include <cmath>
#include <system_error>

#include "common/text.h"
#include "common/textfile.h"

namespace drilling {
namespace {

// The fixed texts of a table's problems, each after "<line> 行目".
constexpr const char* kAtLineFormat = "%d 行目%s";
constexpr const char* kLastRowShortFormat = "から始まる最後の行の数値が足りません（%d 個で 1 行です）";
constexpr const char* kNumberTooLongFormat = "の数値が長すぎます（%zu 文字以上）";
constexpr const char* kNotNumberText = "に数値でないデータがあります";
constexpr const char* kNegativeFormat = "%d 行目の %d 列目に負の数値があります";

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Reads one token starting at `p` (not white space) up to the next white
// space or `end`, and converts it. A plain decimal ([sign] digits [. digits])
// of at most 15 significant digits is the integer of its digits divided by a
// power of ten, both exact doubles, so one division gives the correctly
// rounded value, the same as the standard conversion; any other token goes
// to the standard conversion, which must use all of it and give a finite
// number. `p` is left at the end of the token.
bool ReadNumber(const char*& p, const char* end, double& value) {
  const char* start = p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  unsigned long long mantissa = 0;
  int digits = 0;
  int significant = 0;
  int decimals = 0;
  bool point = false;
  bool plain = true;
  for (; p < end && !IsSpace(*p); ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      ++digits;
      decimals += point;
      if (mantissa != 0 || c != '0') ++significant;
      if (significant <= 15) mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
    } else if (c == '.' && !point) {
      point = true;
    } else {
      plain = false;
    }
  }
  if (plain && digits > 0 && significant <= 15 && decimals <= 22) {
    value = static_cast<double>(mantissa) / kPow10[decimals];
    if (negative) value = -value;
    return true;
  }
  std::string_view token(start, static_cast<std::size_t>(p - start));
  if (token.size() > kMaxNumberChars) return false;
  std::size_t used = 0;
  value = common::ParseLeadingDouble(token, &used);
  return used == token.size() && std::isfinite(value);
}

}  // namespace

TableLoad LoadTableFile(const std::filesystem::path& path, std::string& bytes) {
  bytes.clear();
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return TableLoad::Missing;
  if (!std::filesystem::is_regular_file(status)) return TableLoad::NotReadable;
  std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return TableLoad::NotReadable;
  if (size > kMaxTableFileBytes) return TableLoad::TooLarge;
  if (!common::ReadFileBytes(path, bytes)) return TableLoad::NotReadable;
  // The file may have grown between the size check and the read.
  if (bytes.size() > kMaxTableFileBytes) {
    bytes.clear();
    return TableLoad::TooLarge;
  }
  return TableLoad::Ok;
}

NumberRowReader::NumberRowReader(std::string_view text, int width, unsigned negativeColumns)
    : text_(text), width_(width < 1 ? 1 : (width > kMaxTableRowWidth ? kMaxTableRowWidth : width)),
      negativeColumns_(negativeColumns) {}

RowRead NumberRowReader::RejectAtLine(int line, const std::string& rest) {
  return Reject(common::FormatText(kAtLineFormat, line, rest.c_str()));
}

RowRead NumberRowReader::Reject(const std::string& problem) {
  problem_ = problem;
  stopped_ = RowRead::Bad;
  return stopped_;
}

RowRead NumberRowReader::Next(double* row) {
  if (stopped_ != RowRead::Row) return stopped_;
  const char* const begin = text_.data();
  const char* const end = begin + text_.size();
  const char* p = begin + pos_;
  int count = 0;
  while (count < width_) {
    // Skip white space, counting the lines.
    for (; p < end && IsSpace(*p); ++p)
      if (*p == '\n') ++line_;
    pos_ = static_cast<std::size_t>(p - begin);
    if (p == end) {
      // A last group that starts with 0 is the end row written short
      // ("0" alone): the table ends there as it would at a full 0 row.
      if (count == 0 || row[0] == 0) {
        stopped_ = RowRead::End;
        return stopped_;
      }
      return RejectAtLine(rowLine_, common::FormatText(kLastRowShortFormat, width_));
    }
    if (count == 0) {
      rowLine_ = line_;
      rowProblem_.clear();
    }
    const char* token = p;
    double value = 0;
    bool ok = ReadNumber(p, end, value);
    pos_ = static_cast<std::size_t>(p - begin);
    if (static_cast<std::size_t>(p - token) > kMaxNumberChars)
      return RejectAtLine(line_, common::FormatText(kNumberTooLongFormat, kMaxNumberChars + 1));
    if (!ok) return RejectAtLine(line_, kNotNumberText);
    if (value < 0 && !(negativeColumns_ & (1u << count)) && rowProblem_.empty())
      rowProblem_ = common::FormatText(kNegativeFormat, line_, count + 1);
    row[count++] = value;
  }
  return RowRead::Row;
}

}  // namespace drilling
