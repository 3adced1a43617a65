#include "Drilling/planning/number_table.h"

#include <cmath>
#include <system_error>

#include "common/text.h"
#include "common/textfile.h"

namespace drilling {

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

RowRead NumberRowReader::Fail(int line, std::string text) {
  problem_ = common::FormatText("%d 行目%s", line, text.c_str());
  stopped_ = RowRead::Bad;
  return stopped_;
}

RowRead NumberRowReader::Next(double* row) {
  if (stopped_ != RowRead::Row) return stopped_;
  int count = 0;
  while (count < width_) {
    // Skip white space, counting the lines.
    while (pos_ < text_.size() && common::IsBlank(text_[pos_])) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    if (pos_ >= text_.size()) {
      if (count == 0) {
        stopped_ = RowRead::End;
        return stopped_;
      }
      return Fail(rowLine_, common::FormatText("から始まる最後の行の数値が足りません（%d 個で 1 行です）", width_));
    }
    std::size_t start = pos_;
    while (pos_ < text_.size() && !common::IsBlank(text_[pos_])) ++pos_;
    std::string_view token = text_.substr(start, pos_ - start);
    if (count == 0) rowLine_ = line_;
    if (token.size() > kMaxNumberChars)
      return Fail(line_, common::FormatText("の数値が長すぎます（%zu 文字以上）", kMaxNumberChars + 1));
    std::size_t used = 0;
    double value = common::ParseLeadingDouble(token, &used);
    if (used != token.size() || !std::isfinite(value)) return Fail(line_, "に数値でないデータがあります");
    if (value < 0 && !(negativeColumns_ & (1u << count)))
      return Fail(line_, common::FormatText("の %d 列目に負の数値があります", count + 1));
    row[count++] = value;
  }
  return RowRead::Row;
}

}  // namespace drilling
