#include "Drilling/app/nc_format.h"

#include "common/file_keys.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"

namespace drilling {

namespace {
// StartX, StartY and StartZ have one room.
constexpr std::size_t kNumberRoom = filekeys::config::kStartX.room;
}  // namespace

bool ReadNcFormatNumber(const Context& ctx, std::string_view key, std::string_view def, double& value,
                        std::string& error) {
  std::string text =
      common::ReadProfileText(filekeys::config::kStartX.section, key, "", filekeys::kWholeValueRoom, ctx.configPath);
  if (text.empty()) text = std::string(def);
  if (common::Cp932Width(text) <= kNumberRoom - 1 && common::ParseNumber(text, &value)) return true;
  error = common::FormatText(kNcFormatNotNumberFormat, std::string(key).c_str(),
                             common::CutToBytes(text, 40).c_str());
  return false;
}

bool ReadNcStartXY(const Context& ctx, double& xMm, double& yMm, std::string& error) {
  return ReadNcFormatNumber(ctx, filekeys::config::kStartX.name, "0.", xMm, error) &&
         ReadNcFormatNumber(ctx, filekeys::config::kStartY.name, "0.", yMm, error);
}

}  // namespace drilling
