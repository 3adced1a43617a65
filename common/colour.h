// Window and text colours kept as three integer components, read from the
// COLOR section of a profile file ("r,g,b").
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "common/file_keys.h"

namespace common {

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};

// Splits "r,g,b" at commas; each piece converts as a plain decimal number
// (leading digits, a piece without digits gives 0). Pieces the text does not
// give keep what `colour` held; pieces after the third are ignored. An empty
// text leaves the colour unchanged.
void ApplyColourText(std::string_view text, Rgb& colour);

// The colour of `key` (section COLOR, 15 characters); see ApplyColourText.
// Returns 0.
int ReadColour(const filekeys::Key& key, Rgb& colour, const std::filesystem::path& profileFile);

// The 24-bit value the platform draws with: the low 8 bits of each component,
// red in the lowest byte, then green, then blue.
std::uint32_t ColourValue(const Rgb& colour);

}  // namespace common
