#include "ncout/gcode_reader_support.h"

#include <cctype>
#include <cstdlib>
#include <map>

namespace drilling::testing {
namespace {

struct Word {
  char letter;
  double value;
  std::string text;
};

// Splits a block into words; false when a character is not part of a word.
bool SplitWords(const std::string& block, std::vector<Word>& words, std::string& problem) {
  std::size_t i = 0;
  while (i < block.size()) {
    if (block[i] == ' ') {
      ++i;
      continue;
    }
    char letter = block[i];
    if (!std::isupper(static_cast<unsigned char>(letter))) {
      problem = "not a word letter: " + block.substr(i);
      return false;
    }
    std::size_t j = i + 1;
    if (j < block.size() && (block[j] == '-' || block[j] == '+')) ++j;
    std::size_t digits = j;
    while (j < block.size() && (std::isdigit(static_cast<unsigned char>(block[j])) || block[j] == '.')) ++j;
    if (j == digits) {
      problem = std::string("word without a number: ") + letter;
      return false;
    }
    std::string number = block.substr(i + 1, j - i - 1);
    words.push_back({letter, std::strtod(number.c_str(), nullptr), number});
    i = j;
  }
  return true;
}

}  // namespace

GcodeReading ReadGcode(std::string_view bytes) {
  GcodeReading reading;
  auto problem = [&](int lineNo, const std::string& text) {
    reading.problems.push_back("line " + std::to_string(lineNo) + ": " + text);
  };

  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t nl = bytes.find('\n', start);
    if (nl == std::string_view::npos) {
      reading.problems.push_back("last line without a line end");
      break;
    }
    if (nl == start || bytes[nl - 1] != '\r') reading.problems.push_back("line end without CR");
    lines.emplace_back(bytes.substr(start, nl > start ? nl - start - 1 : 0));
    start = nl + 1;
  }
  if (lines.size() < 2 || lines.front() != "%" || lines.back() != "%") {
    reading.problems.push_back("program not framed by % lines");
    return reading;
  }

  bool absolute = false, lengthOffset = false, spindle = false, coolant = false, ended = false;
  int pendingTool = -1, tool = -1, offset = -1, spindleRpm = 0, cycle = 0, feed = 0;
  double r = 0, z = 0, q = 0;
  for (std::size_t n = 1; n + 1 < lines.size(); ++n) {
    const int lineNo = static_cast<int>(n) + 1;
    std::string block;
    int depth = 0;
    for (unsigned char c : lines[n]) {
      if (c >= 0x80 && depth == 0) problem(lineNo, "non-ASCII byte outside a comment");
      if (c == '(') ++depth;
      else if (c == ')') --depth;
      else if (depth == 0) block += static_cast<char>(c);
      if (depth < 0 || depth > 1) problem(lineNo, "unbalanced comment");
    }
    if (depth != 0) problem(lineNo, "unclosed comment");
    if (ended && !block.empty()) problem(lineNo, "block after the program end");
    std::vector<Word> words;
    std::string why;
    if (!SplitWords(block, words, why)) {
      problem(lineNo, why);
      continue;
    }
    std::map<char, double> axis;
    int newCycle = -1;
    for (const Word& w : words) {
      switch (w.letter) {
        case 'O':
          if (n != 1) problem(lineNo, "program number not on the first line");
          reading.programNumber = static_cast<int>(w.value);
          break;
        case 'N':
          break;
        case 'G': {
          int g = static_cast<int>(w.value);
          if (g == 90) absolute = true;
          else if (g == 91) absolute = false;
          else if (g == 43) lengthOffset = true;
          else if (g == 80) cycle = 0;
          else if (g == 81 || g == 82 || g == 83 || g == 73 || g == 84) newCycle = g;
          else if (g == 0 || g == 28 || g == 30 || (g >= 54 && g <= 59) || g == 17 || g == 21 || g == 40 ||
                   g == 49 || g == 98) {
            if (cycle != 0) problem(lineNo, "G" + w.text + " inside a canned cycle");
          } else problem(lineNo, "unknown G" + w.text);
          break;
        }
        case 'M': {
          int m = static_cast<int>(w.value);
          if (m == 3) spindle = spindleRpm > 0;
          else if (m == 5) {
            if (cycle != 0) problem(lineNo, "spindle stopped inside a canned cycle");
            spindle = false;
          } else if (m == 6) {
            if (pendingTool < 0) problem(lineNo, "tool change without a T word");
            if (spindle) problem(lineNo, "tool change with the spindle running");
            tool = pendingTool;
            lengthOffset = false;
            ++reading.toolChanges;
          } else if (m == 8) coolant = true;
          else if (m == 9) coolant = false;
          else if (m == 30 || m == 2) ended = true;
          else if (m != 1) problem(lineNo, "unknown M" + w.text);
          break;
        }
        case 'T': pendingTool = static_cast<int>(w.value); break;
        case 'H': offset = static_cast<int>(w.value); break;
        case 'S': spindleRpm = static_cast<int>(w.value); break;
        case 'F': feed = static_cast<int>(w.value); break;
        case 'P': break;
        case 'X': case 'Y': case 'Z': case 'R': case 'Q': axis[w.letter] = w.value; break;
        default: problem(lineNo, std::string("unknown word ") + w.letter);
      }
    }
    if (newCycle > 0) {
      cycle = newCycle;
      for (char c : {'X', 'Y', 'R', 'Z'})
        if (!axis.count(c)) problem(lineNo, std::string("cycle without ") + c);
      r = axis['R'];
      z = axis['Z'];
      q = 0;
      if (cycle == 83 || cycle == 73) {
        if (!axis.count('Q') || axis['Q'] <= 0) problem(lineNo, "peck cycle without a positive Q");
        q = axis['Q'];
      }
      if (z >= r) problem(lineNo, "Z not below R");
      if (feed <= 0) problem(lineNo, "cycle without a feed");
    } else if (cycle != 0 && (axis.count('Z') || axis.count('R') || axis.count('Q'))) {
      problem(lineNo, "depth words on a hole line");
    }
    if (cycle != 0 && axis.count('X') && axis.count('Y')) {
      if (!absolute) problem(lineNo, "hole in incremental mode");
      if (!lengthOffset || offset < 0) problem(lineNo, "hole without a length offset");
      if (!spindle) problem(lineNo, "hole with the spindle stopped");
      if (!coolant) problem(lineNo, "hole without coolant");
      if (tool < 0) problem(lineNo, "hole without a tool");
      reading.holes.push_back({tool, offset, cycle, axis['X'], axis['Y'], r, z, q, feed, spindleRpm});
    }
  }
  if (!ended) reading.problems.push_back("no program end");
  if (cycle != 0) reading.problems.push_back("canned cycle left active");
  return reading;
}

}  // namespace drilling::testing
