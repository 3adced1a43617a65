#include "gcode/gcode_words.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "common/text.h"

namespace gcode {
namespace {

// Digits of one number beyond this are more than any control takes; the
// word is refused, whatever its value.
constexpr std::size_t kMostNumberChars = 40;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The end of `comment` cut to at most `room` bytes without splitting a
// double-byte character of code page 932.
std::size_t CutCp932(std::string_view comment, std::size_t room) {
  std::size_t i = 0;
  while (i < comment.size()) {
    const auto c = static_cast<unsigned char>(comment[i]);
    const std::size_t width = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    if (i + width > room) break;
    i += width;
  }
  return std::min(i, comment.size());
}

// A number at `at`: optional sign, digits with at most one point (".5" and
// "5." both allowed). Blanks inside are skipped as the control does. Sets
// `end` past it; false when no digit was found.
bool ReadNumber(std::string_view line, std::size_t at, std::size_t& end, Word& word) {
  char digits[kMostNumberChars + 1];
  std::size_t n = 0;
  bool overflow = false;
  auto put = [&](char c) {
    if (n < kMostNumberChars) digits[n++] = c;
    else overflow = true;
  };
  std::size_t i = at;
  while (i < line.size() && IsBlank(line[i])) ++i;
  std::size_t first = i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  bool point = false, any = false, leading = true, significant = false;
  for (; i < line.size(); ++i) {
    char c = line[i];
    if (IsDigit(c)) {
      any = true;
      if (leading && c == '0' && !point) continue;  // leading zeros count for nothing
      leading = false;
      significant = true;
      put(c);
    } else if (c == '.' && !point) {
      put(c);
      point = true;
    } else if (!IsBlank(c)) {
      break;
    }
  }
  if (!any) return false;
  double value = 0;
  if (!overflow && significant) {
    auto [stop, ec] = std::from_chars(digits, digits + n, value);
    overflow = ec != std::errc() || stop != digits + n;
  }
  std::size_t last = i;
  while (last > first && IsBlank(line[last - 1])) --last;
  word.value = overflow ? 0 : (negative ? -value : value);
  word.fits = !overflow;
  word.point = point;
  word.text = line.substr(first, last - first);
  end = i;
  return true;
}

}  // namespace

bool SplitBlock(std::string_view line, int lineNo, Block& block, std::vector<Diagnostic>& diagnostics) {
  block.line = lineNo;
  block.words.clear();
  block.comment.clear();
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i < line.size() && line[i] == '/') ++i;
  while (i < line.size()) {
    char c = line[i];
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (c == ';') break;
    if (c == '(') {
      std::size_t close = line.find(')', i + 1);
      if (close == std::string_view::npos) {
        diagnostics.push_back({lineNo, Code::kUnclosedComment, {}});
        close = line.size();
      }
      if (!block.comment.empty() && block.comment.size() < kMostCommentBytes) block.comment += ' ';
      std::string_view text = line.substr(i + 1, close - i - 1);
      block.comment.append(text.substr(0, CutCp932(text, kMostCommentBytes - std::min(block.comment.size(), kMostCommentBytes))));
      i = close + 1;
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      diagnostics.push_back({lineNo, Code::kBadCharacter, common::PrintableBytes(line.substr(i, 1))});
      return false;
    }
    Word word;
    word.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::size_t end = 0;
    if (!ReadNumber(line, i + 1, end, word)) {
      diagnostics.push_back({lineNo, Code::kWordWithoutNumber, std::string(1, word.letter)});
      return false;
    }
    block.words.push_back(word);
    i = end;
  }
  return true;
}

}  // namespace gcode
