#include "Drilling/app/field_check.h"

#include <string>

#include "Drilling/app/message_channel.h"
#include "common/text.h"

namespace drilling {

int CheckNumberText(Context& ctx, common::Form* owner, std::string_view text,
                    std::string_view fieldName, double* value) {
  if (common::Trim(text).empty()) return 0;
  double v = 0;
  if (!common::ParseNumber(text, &v)) {
    std::string line = "エラー：";
    line.append(fieldName);
    line += " [";
    line.append(text);
    line += "] は数値ではありません。";
    Report(ctx, owner, kKindError, line);
    return -1;
  }
  if (value) *value = v;
  return 1;
}

int ReadNumberField(Context& ctx, common::Form& form, int id, std::size_t room,
                    std::string_view fieldName, double* value) {
  return CheckNumberText(ctx, &form, form.Text(id, room), fieldName, value);
}

int CheckLineText(Context& ctx, common::Form* owner, std::string_view text,
                  std::string_view fieldName) {
  if (text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos) return 0;
  std::string line = "エラー：";
  line.append(fieldName);
  line += " に改行や NUL 文字は使えません。";
  Report(ctx, owner, kKindError, line);
  return -1;
}

}  // namespace drilling
