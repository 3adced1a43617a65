#include "Drillview/dxf_reader.h"

#include <charconv>
#include <cstdlib>

namespace drillview {
namespace {

struct Group {
  int code = 0;
  std::string_view value;
  int line = 0;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

double Number(std::string_view text) {
  double value = 0;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// Every group of the file: a code line and a value line.
bool Groups(std::string_view bytes, std::vector<Group>& groups, std::string& error) {
  std::size_t at = 0;
  int lineNo = 0;
  while (at < bytes.size()) {
    auto next = [&](std::string_view& line) {
      if (at >= bytes.size()) return false;
      std::size_t end = bytes.find('\n', at);
      line = bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
      at = end == std::string_view::npos ? bytes.size() : end + 1;
      ++lineNo;
      return true;
    };
    std::string_view codeLine, valueLine;
    if (!next(codeLine)) break;
    codeLine = Trim(codeLine);
    if (codeLine.empty() && at >= bytes.size()) break;
    Group g;
    g.line = lineNo;
    auto [end, ec] = std::from_chars(codeLine.data(), codeLine.data() + codeLine.size(), g.code);
    if (ec != std::errc() || end != codeLine.data() + codeLine.size()) {
      error = "line " + std::to_string(lineNo) + ": group code is not a whole number";
      return false;
    }
    if (!next(valueLine)) {
      error = "line " + std::to_string(lineNo) + ": group code without a value";
      return false;
    }
    g.value = Trim(valueLine);
    groups.push_back(g);
    if (g.code == 0 && g.value == "EOF") break;
  }
  return true;
}

}  // namespace

bool ReadDxf(std::string_view bytes, DxfDrawing& drawing, std::string& error) {
  std::vector<Group> groups;
  if (!Groups(bytes, groups, error)) return false;
  bool inEntities = false;
  long polyline = -1;  // index of the POLYLINE whose VERTEX entities follow
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const Group& g = groups[i];
    if (g.code != 0) continue;
    if (g.value == "SECTION") {
      inEntities = i + 1 < groups.size() && groups[i + 1].code == 2 && groups[i + 1].value == "ENTITIES";
      continue;
    }
    if (!inEntities) continue;
    if (g.value == "ENDSEC") {
      inEntities = false;
      continue;
    }
    // The groups of this entity, up to the next code 0.
    std::size_t end = i + 1;
    while (end < groups.size() && groups[end].code != 0) ++end;
    DxfEntity e;
    bool keep = true;
    if (g.value == "LINE") e.kind = DxfEntity::Line;
    else if (g.value == "CIRCLE") e.kind = DxfEntity::Circle;
    else if (g.value == "ARC") e.kind = DxfEntity::Arc;
    else if (g.value == "LWPOLYLINE" || g.value == "POLYLINE") e.kind = DxfEntity::Polyline;
    else if (g.value == "VERTEX" && polyline >= 0) keep = false;
    else if (g.value == "SEQEND") polyline = -1, keep = false;
    else ++drawing.skipped, keep = false;

    DxfVertex vertex;
    bool vertexStarted = false;
    for (std::size_t k = i + 1; k < end; ++k) {
      const Group& v = groups[k];
      double n = Number(v.value);
      if (g.value == "VERTEX") {
        if (v.code == 10) vertex.x = n;
        else if (v.code == 20) vertex.y = n;
        else if (v.code == 42) vertex.bulge = n;
        continue;
      }
      switch (v.code) {
        case 8: e.layer = std::string(v.value); break;
        case 10:
          if (e.kind == DxfEntity::Polyline && g.value == "LWPOLYLINE") {
            if (vertexStarted) e.vertices.push_back(vertex);
            vertex = DxfVertex{n, 0, 0};
            vertexStarted = true;
          } else {
            e.x1 = n;
          }
          break;
        case 20:
          if (e.kind == DxfEntity::Polyline && g.value == "LWPOLYLINE") vertex.y = n;
          else e.y1 = n;
          break;
        case 42: vertex.bulge = n; break;
        case 11: e.x2 = n; break;
        case 21: e.y2 = n; break;
        case 40: e.radius = n; break;
        case 50: e.startDeg = n; break;
        case 51: e.endDeg = n; break;
        case 70: e.closed = (static_cast<int>(n) & 1) != 0; break;
        default: break;
      }
    }
    if (g.value == "VERTEX" && polyline >= 0) drawing.entities[polyline].vertices.push_back(vertex);
    if (g.value == "LWPOLYLINE" && vertexStarted) e.vertices.push_back(vertex);
    if (keep) {
      drawing.entities.push_back(std::move(e));
      if (g.value == "POLYLINE") polyline = static_cast<long>(drawing.entities.size()) - 1;
    }
    i = end - 1;
  }
  return true;
}

}  // namespace drillview
