// The tool table: the pockets listed from a hand-edited file, the list line
// of each and the look-up. A list line splits back into the five values it
// shows (a name with blanks included) and shows them again the same way;
// the T, H and D of a line are always those of its pocket; a pocket with a
// name and a diameter is found by them. The input is the table file.
#include <cstdint>
#include <fstream>
#include <string>

#include "Drilling/planning/tool_table.h"
#include "common/profile.h"
#include "common/text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path path = fuzzsupport::ScratchFolder() / "MCTOOL.ini";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  common::ForgetCachedProfiles();
  common::ProfileReadBatch batch;  // the file does not change during one input

  const auto pockets = drilling::ReadMagazinePockets(path);
  for (std::size_t i = 0; i < pockets.size(); ++i) {
    const drilling::MagazinePocket& p = pockets[i];
    FUZZ_CHECK(p.pocket >= 1 && p.pocket <= drilling::kMagazinePockets);
    FUZZ_CHECK(!p.name.empty() && !p.diameter.empty());
    const std::string line = drilling::FormatToolListLine(p);
    const drilling::ToolListFields f = drilling::SplitToolListLine(line);
    FUZZ_CHECK(f.t == std::to_string(p.pocket));
    FUZZ_CHECK(f.h == std::to_string(p.h));
    FUZZ_CHECK(f.d == std::to_string(p.d));
    FUZZ_CHECK(f.name == common::Trim(p.name));
    drilling::MagazinePocket shown{p.pocket, f.name, f.diameter.empty() ? "-" : f.diameter, p.h, p.d};
    if (!f.name.empty()) FUZZ_CHECK(drilling::FormatToolListLine(shown) == line);

    // The look-up reads every pocket: the first, the last and one more are enough.
    if (p.diameter != "-" && (i == 0 || i + 1 == pockets.size() || i == size % pockets.size())) {
      drilling::MagazineTool tool;
      tool.Diameter = common::ParseLeadingDouble(p.diameter);
      FUZZ_CHECK(drilling::FindMagazineTool(p.name, tool, path) == 1);
      FUZZ_CHECK(tool.T >= 1 && tool.T <= p.pocket);
    }
  }
  return 0;
}
