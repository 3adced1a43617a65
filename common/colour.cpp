#include "common/colour.h"

#include "common/profile.h"
#include "common/text.h"

namespace common {

void ApplyColourText(std::string_view text, Rgb& colour) {
  if (text.empty()) return;
  int* parts[3] = {&colour.red, &colour.green, &colour.blue};
  std::size_t start = 0;
  for (int i = 0; i < 3 && start <= text.size(); ++i) {
    std::size_t comma = text.find(',', start);
    std::string_view piece = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    *parts[i] = ParseLeadingInt(piece);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
}

int ReadColour(const filekeys::Key& key, Rgb& colour, const std::filesystem::path& profileFile) {
  ApplyColourText(ReadProfileKey(key, profileFile), colour);
  return 0;
}

std::uint32_t ColourValue(const Rgb& colour) {
  return (static_cast<std::uint32_t>(colour.red) & 0xFF) | (static_cast<std::uint32_t>(colour.green) & 0xFF) << 8 |
         (static_cast<std::uint32_t>(colour.blue) & 0xFF) << 16;
}

}  // namespace common
