#include "gcode/gcode_words.h"

#include <cctype>
#include <charconv>

namespace gcode {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A number at `at`: optional sign, digits with at most one point (".5" and
// "5." both allowed). Blanks inside are skipped as the control does. Sets
// `end` past it; false when no digit was found.
bool ReadNumber(std::string_view line, std::size_t at, std::size_t& end, Word& word) {
  std::string digits;
  std::size_t i = at;
  while (i < line.size() && IsBlank(line[i])) ++i;
  std::size_t first = i;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) digits += line[i++];
  bool point = false, any = false;
  for (; i < line.size(); ++i) {
    char c = line[i];
    if (IsDigit(c)) {
      digits += c;
      any = true;
    } else if (c == '.' && !point) {
      digits += c;
      point = true;
    } else if (!IsBlank(c)) {
      break;
    }
  }
  if (!any) return false;
  // from_chars does not take a leading '+'.
  const char* begin = digits.data() + (digits[0] == '+' ? 1 : 0);
  double value = 0;
  std::from_chars(begin, digits.data() + digits.size(), value);
  std::size_t last = i;
  while (last > first && IsBlank(line[last - 1])) --last;
  word.value = value;
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
      if (!block.comment.empty()) block.comment += ' ';
      block.comment.append(line.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      diagnostics.push_back({lineNo, Code::kBadCharacter, std::string(line.substr(i, 1))});
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
