#include "Drilling/app/field_check.h"

#include <string>

#include "Drilling/app/message_channel.h"
#include "common/sjis.h"
#include "common/text.h"

namespace drilling {
namespace {

// The fixed texts of the field checks: each names the field, most show the
// offending text in brackets after it.
constexpr std::string_view kErrorHead = "エラー：";
constexpr std::string_view kNotNumberTail = "] は数値ではありません。";
constexpr std::string_view kTextCutMark = "…";
constexpr const char* kTooLongTailFormat = "] が長すぎます（%zu バイトまで）。";
constexpr std::string_view kLineBreakTail = " に改行や NUL 文字は使えません。";

// Larger than any field's text: the read is never what cuts it.
constexpr std::size_t kWholeTextRoom = 1u << 16;

// "エラー：<field> [<shown>" + tail, byte for byte whatever the texts hold.
std::string FieldErrorLine(std::string_view fieldName, std::string_view shown, std::string_view tail) {
  std::string line(kErrorHead);
  line.append(fieldName);
  line += " [";
  line.append(shown);
  line.append(tail);
  return line;
}

}  // namespace

int CheckNumberText(Context& ctx, common::Form* owner, std::string_view text,
                    std::string_view fieldName, double* value) {
  if (common::Trim(text).empty()) return kNumberBlank;
  double v = 0;
  if (!common::ParseNumber(text, &v)) return ReportError(ctx, owner, FieldErrorLine(fieldName, text, kNotNumberTail));
  if (value) *value = v;
  return kNumberGiven;
}

std::string WholeText(const common::Form& form, int id) { return form.Text(id, kWholeTextRoom); }

int ReadNumberField(Context& ctx, common::Form& form, int id, std::size_t room,
                    std::string_view fieldName, double* value) {
  std::string text = WholeText(form, id);
  if (CheckFitText(ctx, &form, text, room, fieldName) != kDone) return kFailed;
  return CheckNumberText(ctx, &form, text, fieldName, value);
}

int CheckFitText(Context& ctx, common::Form* owner, std::string_view text, std::size_t room,
                 std::string_view fieldName) {
  const std::size_t width = common::Cp932Width(text);
  if (room > 0 && width <= room - 1) return kDone;
  // The offending text itself may be huge: the message shows its start.
  std::string shown = common::CutToBytes(text, 40);
  if (width > 40) shown.append(kTextCutMark);
  return ReportError(ctx, owner,
                     FieldErrorLine(fieldName, shown, common::FormatText(kTooLongTailFormat, room > 0 ? room - 1 : 0)));
}

int ReadTextField(Context& ctx, common::Form& form, int id, std::size_t room,
                  std::string_view fieldName, std::string* text) {
  std::string value = WholeText(form, id);
  if (CheckLineText(ctx, &form, value, fieldName) != kDone) return kFailed;
  if (CheckFitText(ctx, &form, value, room, fieldName) != kDone) return kFailed;
  if (text) *text = std::move(value);
  return kDone;
}

int CheckLineText(Context& ctx, common::Form* owner, std::string_view text,
                  std::string_view fieldName) {
  if (text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos) return kDone;
  std::string line(kErrorHead);
  line.append(fieldName);
  line.append(kLineBreakTail);
  return ReportError(ctx, owner, line);
}

}  // namespace drilling
