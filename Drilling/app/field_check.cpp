#include "Drilling/app/field_check.h"

#include <string>

#include "Drilling/app/message_channel.h"
#include "common/sjis.h"
#include "common/text.h"

namespace drilling {

int CheckNumberText(Context& ctx, common::Form* owner, std::string_view text,
                    std::string_view fieldName, double* value) {
  if (common::Trim(text).empty()) return kNumberBlank;
  double v = 0;
  if (!common::ParseNumber(text, &v)) {
    std::string line = "エラー：";
    line.append(fieldName);
    line += " [";
    line.append(text);
    line += "] は数値ではありません。";
    return ReportError(ctx, owner, line);
  }
  if (value) *value = v;
  return kNumberGiven;
}

namespace {
// Larger than any field's text: the read is never what cuts it.
constexpr std::size_t kWholeTextRoom = 1u << 16;
}  // namespace

std::string WholeText(const common::Form& form, int id) { return form.Text(id, kWholeTextRoom); }

int ReadNumberField(Context& ctx, common::Form& form, int id, std::size_t room,
                    std::string_view fieldName, double* value) {
  std::string text = WholeText(form, id);
  if (CheckFitText(ctx, &form, text, room, fieldName) != 0) return -1;
  return CheckNumberText(ctx, &form, text, fieldName, value);
}

int CheckFitText(Context& ctx, common::Form* owner, std::string_view text, std::size_t room,
                 std::string_view fieldName) {
  const std::size_t width = common::Cp932Width(text);
  if (room > 0 && width <= room - 1) return 0;
  std::string line = "エラー：";
  line.append(fieldName);
  line += " [";
  // The offending text itself may be huge: the message shows its start.
  line += common::CutToBytes(text, 40);
  if (width > 40) line += "…";
  line += common::FormatText("] が長すぎます（%zu バイトまで）。", room > 0 ? room - 1 : 0);
  Report(ctx, owner, kKindError, line);
  return -1;
}

int ReadTextField(Context& ctx, common::Form& form, int id, std::size_t room,
                  std::string_view fieldName, std::string* text) {
  std::string value = WholeText(form, id);
  if (CheckLineText(ctx, &form, value, fieldName) != 0) return -1;
  if (CheckFitText(ctx, &form, value, room, fieldName) != 0) return -1;
  if (text) *text = std::move(value);
  return 0;
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
