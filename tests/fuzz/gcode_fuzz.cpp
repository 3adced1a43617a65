// The G-code reader and the program check: whatever the bytes, every motion,
// hole and scene piece is finite, what is kept stays within its bounds, no
// raw byte reaches a printed line, and the check in one pass says exactly
// what the check of the kept program says. The first byte chooses
// calculator-type input.
#include <cmath>
#include <cstdint>
#include <string>

#include "Drillview/scene.h"
#include "fuzz_check.h"
#include "gcode/gcode_reader.h"
#include "gcode/nc_check.h"

namespace {

bool Finite(const gcode::Point& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

bool PrintableAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  gcode::ReaderOptions options;
  options.calculatorInput = data[0] & 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  const gcode::Program p = gcode::ReadProgram(bytes, options);
  FUZZ_CHECK(p.motions.size() <= gcode::kMostKeptMotions && p.holes.size() <= gcode::kMostKeptHoles);
  for (const gcode::Motion& m : p.motions) FUZZ_CHECK(Finite(m.from) && Finite(m.to) && Finite(m.centre));
  for (const gcode::Hole& h : p.holes) {
    FUZZ_CHECK(std::isfinite(h.xMm) && std::isfinite(h.yMm) && std::isfinite(h.rMm) && std::isfinite(h.bottomMm));
    FUZZ_CHECK(std::isfinite(h.strokeRapidMm) && std::isfinite(h.strokeFeedMm));
    FUZZ_CHECK(h.block >= 0 && static_cast<std::size_t>(h.block) < p.toolBlocks.size());
  }
  for (const gcode::ToolBlock& b : p.toolBlocks) FUZZ_CHECK(std::isfinite(b.diameterMm) && b.diameterMm >= 0);

  gcode::CheckOptions checkOptions;
  const gcode::CheckResult kept = gcode::CheckProgram(p, checkOptions);
  const gcode::CheckResult streamed = gcode::ReadAndCheck(bytes, options, checkOptions);
  FUZZ_CHECK(kept.summary == streamed.summary);
  FUZZ_CHECK(kept.findings.size() == streamed.findings.size());
  for (std::size_t i = 0; i < kept.findings.size(); ++i) {
    const std::string text = streamed.findings[i].Text();
    FUZZ_CHECK(text == kept.findings[i].Text());
    FUZZ_CHECK(PrintableAscii(text));
  }
  for (const std::string& line : streamed.summary) FUZZ_CHECK(fuzzsupport::IsUtf8(line));

  const drillview::Scene scene = drillview::ProgramScene(p, kept, nullptr);
  for (const auto* view : {&scene.top, &scene.side})
    for (const drillview::Segment& s : *view)
      FUZZ_CHECK(std::isfinite(s.x1) && std::isfinite(s.y1) && std::isfinite(s.x2) && std::isfinite(s.y2));
  for (const drillview::FindingGroup& g : scene.findings) {
    FUZZ_CHECK(fuzzsupport::IsUtf8(g.text));
    for (int i : g.holes) FUZZ_CHECK(i >= 0 && static_cast<std::size_t>(i) < scene.holes.size());
  }
  return 0;
}
