// Code page 932 both ways, the character-boundary cut and the text helpers
// every file reader leans on. The input is taken once as code page 932
// bytes and once as (possibly malformed) UTF-8.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/sjis.h"
#include "common/text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // Any bytes decode to well-formed UTF-8; a valid text survives a round trip.
  const std::string utf8 = common::Cp932ToUtf8(bytes);
  FUZZ_CHECK(fuzzsupport::IsUtf8(utf8));
  const std::string back = common::Utf8ToCp932(utf8);
  if (common::IsValidCp932(bytes)) FUZZ_CHECK(common::Cp932ToUtf8(back) == utf8);

  // The input as UTF-8: the width is the encoded size, and a cut is a prefix
  // on a character boundary that fits and leaves no room for the next character.
  const std::size_t width = common::Cp932Width(bytes);
  FUZZ_CHECK(width == common::Utf8ToCp932(bytes).size());
  const std::size_t limit = size == 0 ? 0 : data[0] % 40;
  const std::string cut = common::CutToBytes(bytes, limit);
  FUZZ_CHECK(bytes.compare(0, cut.size(), cut) == 0);
  const std::size_t cutWidth = common::Cp932Width(cut);
  FUZZ_CHECK(cutWidth <= limit);
  // A character is one or two bytes wide: a cut that stops early has no room left for the next one.
  if (cut.size() < bytes.size()) FUZZ_CHECK(cutWidth + 2 > limit);
  FUZZ_CHECK(common::Utf8ToCp932(cut) == common::Utf8ToCp932(bytes).substr(0, common::Utf8ToCp932(cut).size()));
  const std::string room = common::CutToRoom(utf8, limit);
  FUZZ_CHECK(common::Cp932Width(room) + 1 <= (limit == 0 ? 1 : limit));
  FUZZ_CHECK(fuzzsupport::IsUtf8(room));

  // Numbers: always finite; a whole-text number accepted is finite and the
  // leading conversion agrees with it.
  std::size_t consumed = 0;
  const double lead = common::ParseLeadingDouble(bytes, &consumed);
  FUZZ_CHECK(std::isfinite(lead));
  FUZZ_CHECK(consumed <= bytes.size());
  double whole = 0;
  if (common::ParseNumber(bytes, &whole)) {
    FUZZ_CHECK(std::isfinite(whole));
    FUZZ_CHECK(whole == lead);
  }
  (void)common::ParseLeadingInt(bytes);
  (void)common::LeadingDigitsValue(bytes);

  // %s widths count code page 932 bytes: a padded field is at least that wide.
  const std::string padded = common::FormatText("%-16s|", utf8.c_str());
  FUZZ_CHECK(common::Cp932Width(padded) >= 17);
  return 0;
}
