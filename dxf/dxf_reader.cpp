#include "dxf/dxf_reader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "common/text.h"

namespace dxf {
namespace {

constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Group {
  int code = 0;
  std::string_view value;
  int line = 0;
};

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The groups of the file one after the other (a code line and a value
// line), without holding them all: a drawing of millions of groups costs
// no more than its entities.
class Groups {
 public:
  explicit Groups(std::string_view bytes) : bytes_(bytes) {}

  // Moves to the next group. False at the end of the text, after the EOF
  // group, or on a fault (then error() says which).
  bool Next() {
    if (done_) return false;
    std::string_view codeLine, valueLine;
    if (!Line(codeLine)) return Finish();
    codeLine = TrimBlanks(codeLine);
    if (codeLine.empty() && at_ >= bytes_.size()) return Finish();
    current_.line = lineNo_;
    auto [end, ec] = std::from_chars(codeLine.data(), codeLine.data() + codeLine.size(), current_.code);
    if (ec != std::errc() || end != codeLine.data() + codeLine.size()) {
      error_ = "line " + std::to_string(lineNo_) + ": group code is not a whole number";
      return Finish();
    }
    if (!Line(valueLine)) {
      error_ = "line " + std::to_string(lineNo_) + ": group code without a value";
      return Finish();
    }
    current_.value = TrimBlanks(valueLine);
    if (current_.code == 0 && current_.value == "EOF") return Finish();
    return true;
  }

  const Group& operator*() const { return current_; }
  const Group* operator->() const { return &current_; }
  bool done() const { return done_; }
  const std::string& error() const { return error_; }
  bool At(int code, std::string_view value) const { return !done_ && current_.code == code && current_.value == value; }

 private:
  bool Line(std::string_view& line) {
    if (at_ >= bytes_.size()) return false;
    std::size_t end = bytes_.find('\n', at_);
    line = bytes_.substr(at_, end == std::string_view::npos ? std::string_view::npos : end - at_);
    at_ = end == std::string_view::npos ? bytes_.size() : end + 1;
    ++lineNo_;
    return true;
  }
  bool Finish() {
    done_ = true;
    return false;
  }

  std::string_view bytes_;
  std::size_t at_ = 0;
  int lineNo_ = 0;
  Group current_;
  bool done_ = false;
  std::string error_;
};

// Fills one drawing from the groups.
class Reader {
 public:
  Reader(Groups& groups, Drawing& drawing) : g_(groups), d_(drawing) {
    d_.layers.push_back("0");
    layerIndex_.emplace("0", 0);
  }

  void Read() {
    g_.Next();
    while (!g_.done()) {
      if (!g_.At(0, "SECTION")) {
        g_.Next();
        continue;
      }
      g_.Next();
      std::string_view name = !g_.done() && g_->code == 2 ? g_->value : std::string_view{};
      if (name == "HEADER") Header();
      else if (name == "BLOCKS") Blocks();
      else if (name == "ENTITIES") Entities(d_.entities, true);
      else SkipSection();
    }
  }

 private:
  // The values of the entity (or header variable) being read.
  struct Values {
    int line = 0;
    bool bad = false;
    std::string why;
  };

  bool EndOfSection() const { return g_.done() || g_.At(0, "ENDSEC"); }

  void SkipSection() {
    while (!EndOfSection()) g_.Next();
    g_.Next();
  }

  void Header() {
    g_.Next();
    while (!EndOfSection()) {
      if (g_->code == 9 && (g_->value == "$ACADVER" || g_->value == "$DWGCODEPAGE")) {
        const bool version = g_->value == "$ACADVER";
        g_.Next();
        if (!g_.done() && g_->code != 0 && g_->code != 9) (version ? d_.version : d_.codePage) = std::string(g_->value);
        continue;
      }
      g_.Next();
    }
    g_.Next();
  }

  void Blocks() {
    g_.Next();
    while (!EndOfSection()) {
      if (!g_.At(0, "BLOCK")) {
        g_.Next();
        continue;
      }
      Block block;
      Values v;
      for (g_.Next(); !g_.done() && g_->code != 0; g_.Next()) {
        switch (g_->code) {
          case 2: block.name = std::string(g_->value); break;
          case 10: Number(v, block.base.x); break;
          case 20: Number(v, block.base.y); break;
          case 30: Number(v, block.base.z); break;
          default: break;
        }
      }
      Entities(block.entities, false);
      if (g_.At(0, "ENDBLK"))
        for (g_.Next(); !g_.done() && g_->code != 0; g_.Next()) {
        }
      d_.blocks.push_back(std::move(block));
    }
    g_.Next();
  }

  // Entities up to the end of the section or of the block.
  void Entities(std::vector<Entity>& out, bool model) {
    if (model) g_.Next();
    while (!g_.done() && !g_.At(0, "ENDSEC") && (model || !g_.At(0, "ENDBLK"))) {
      if (g_->code != 0) {
        g_.Next();
        continue;
      }
      Entity e;
      const std::string_view kind = g_->value;
      if (kind == "LINE") e.kind = Entity::Kind::Line;
      else if (kind == "CIRCLE") e.kind = Entity::Kind::Circle;
      else if (kind == "ARC") e.kind = Entity::Kind::Arc;
      else if (kind == "LWPOLYLINE" || kind == "POLYLINE") e.kind = Entity::Kind::Polyline;
      else if (kind == "INSERT") e.kind = Entity::Kind::Insert;
      else {
        if (model) Skip(kind);
        SkipEntity();
        continue;
      }
      Values v;
      v.line = g_->line;
      e.line = g_->line;
      bool keep = true;
      if (kind == "LWPOLYLINE") ReadLwPolyline(e, v);
      else if (kind == "POLYLINE") keep = ReadPolyline(e, v);
      else if (kind == "INSERT") ReadInsert(e, v);
      else ReadPlain(e, v);
      if (v.bad) {
        if (model) Report(v);
        continue;
      }
      if (!keep) {
        if (model) Skip("POLYLINE (mesh)");
        continue;
      }
      out.push_back(std::move(e));
    }
  }

  // The groups every entity may have. True when the group was one of them.
  bool Common(Entity& e, Values& v) {
    switch (g_->code) {
      case 8: e.layer = Layer(g_->value); return true;
      case 67: {
        int space = 0;
        Whole(v, space);
        e.paperSpace = space == 1;
        return true;
      }
      case 210: Number(v, e.normal.x); return true;
      case 220: Number(v, e.normal.y); return true;
      case 230: Number(v, e.normal.z); return true;
      default: return false;
    }
  }

  void ReadPlain(Entity& e, Values& v) {
    for (g_.Next(); !g_.done() && g_->code != 0; g_.Next()) {
      if (Common(e, v)) continue;
      switch (g_->code) {
        case 10: Number(v, e.a.x); break;
        case 20: Number(v, e.a.y); break;
        case 30: Number(v, e.a.z); break;
        case 11: Number(v, e.b.x); break;
        case 21: Number(v, e.b.y); break;
        case 31: Number(v, e.b.z); break;
        case 40: Number(v, e.radius); break;
        case 50: Number(v, e.startDeg); break;
        case 51: Number(v, e.endDeg); break;
        default: break;
      }
    }
  }

  void ReadLwPolyline(Entity& e, Values& v) {
    Vertex vertex;
    bool started = false;
    for (g_.Next(); !g_.done() && g_->code != 0; g_.Next()) {
      if (Common(e, v)) continue;
      switch (g_->code) {
        case 10:
          if (started) e.vertices.push_back(vertex);
          vertex = Vertex{};
          Number(v, vertex.x);
          started = true;
          break;
        case 20: Number(v, vertex.y); break;
        case 42: Number(v, vertex.bulge); break;
        case 38: Number(v, e.elevation); break;
        case 70: Flags(e, v); break;
        default: break;
      }
    }
    if (started) e.vertices.push_back(vertex);
  }

  // A POLYLINE and the VERTEX entities after it, up to its SEQEND. False for
  // a mesh: its vertices are no outline.
  bool ReadPolyline(Entity& e, Values& v) {
    int flags = 0;
    for (g_.Next(); !g_.done() && g_->code != 0; g_.Next()) {
      if (Common(e, v)) continue;
      if (g_->code == 30) Number(v, e.elevation);
      else if (g_->code == 70) Whole(v, flags);
    }
    e.closed = (flags & 1) != 0;
    e.worldVertices = (flags & 8) != 0;
    const bool mesh = (flags & (16 | 64)) != 0;
    while (g_.At(0, "VERTEX")) {
      Vertex vertex;
      int vertexFlags = 0;
      double z = 0;
      for (g_.Next(); !g_.done() && g_->code != 0; g_.Next()) {
        switch (g_->code) {
          case 10: Number(v, vertex.x); break;
          case 20: Number(v, vertex.y); break;
          case 30: Number(v, z); break;
          case 42: Number(v, vertex.bulge); break;
          case 70: Whole(v, vertexFlags); break;
          default: break;
        }
      }
      // A spline's frame points steer the curve and are not on it.
      if (!mesh && (vertexFlags & 16) == 0) e.vertices.push_back(vertex);
    }
    if (g_.At(0, "SEQEND")) SkipEntity();
    return !mesh;
  }

  void ReadInsert(Entity& e, Values& v) {
    Insert insert;
    int attributes = 0;
    for (g_.Next(); !g_.done() && g_->code != 0; g_.Next()) {
      if (Common(e, v)) continue;
      switch (g_->code) {
        case 2: insert.block = std::string(g_->value); break;
        case 10: Number(v, e.a.x); break;
        case 20: Number(v, e.a.y); break;
        case 30: Number(v, e.a.z); break;
        case 41: Number(v, insert.scaleX); break;
        case 42: Number(v, insert.scaleY); break;
        case 43: Number(v, insert.scaleZ); break;
        case 50: Number(v, insert.rotationDeg); break;
        case 70: Whole(v, insert.columns); break;
        case 71: Whole(v, insert.rows); break;
        case 44: Number(v, insert.columnSpacing); break;
        case 45: Number(v, insert.rowSpacing); break;
        case 66: Whole(v, attributes); break;
        default: break;
      }
    }
    // The attributes (texts) that follow, up to their SEQEND.
    if (attributes == 1) {
      while (g_.At(0, "ATTRIB")) SkipEntity();
      if (g_.At(0, "SEQEND")) SkipEntity();
    }
    if (v.bad) return;
    e.insert = static_cast<int>(d_.inserts.size());
    d_.inserts.push_back(std::move(insert));
  }

  void Flags(Entity& e, Values& v) {
    int flags = 0;
    Whole(v, flags);
    e.closed = (flags & 1) != 0;
  }

  void SkipEntity() {
    for (g_.Next(); !g_.done() && g_->code != 0; g_.Next()) {
    }
  }

  void Number(Values& v, double& out) {
    double value = 0;
    if (common::ParseNumber(g_->value, &value)) {
      out = value;
      return;
    }
    Bad(v, "not a number");
  }

  // A count or a set of flags: a whole number within the range of int.
  void Whole(Values& v, int& out) {
    double value = 0;
    if (common::ParseNumber(g_->value, &value) && value == std::floor(value) &&
        std::fabs(value) <= std::numeric_limits<int>::max()) {
      out = static_cast<int>(value);
      return;
    }
    Bad(v, "not a whole number");
  }

  void Bad(Values& v, const char* what) {
    if (v.bad) return;
    v.bad = true;
    v.why = "group " + std::to_string(g_->code) + ": " + what + " (" + common::PrintableBytes(g_->value.substr(0, 24)) + ")";
  }

  void Report(const Values& v) { d_.problems.push_back({v.line, v.why}); }

  // Kinds are counted by name as printed (bytes beyond ASCII escaped).
  void Skip(std::string_view kind) {
    const std::string name = common::PrintableBytes(kind.substr(0, 32));
    for (SkippedKind& s : d_.skipped)
      if (s.name == name) {
        ++s.count;
        return;
      }
    d_.skipped.push_back({name, 1});
  }

  int Layer(std::string_view name) {
    auto it = layerIndex_.find(std::string(name));
    if (it != layerIndex_.end()) return it->second;
    const int index = static_cast<int>(d_.layers.size());
    d_.layers.emplace_back(name);
    layerIndex_.emplace(std::string(name), index);
    return index;
  }

  Groups& g_;
  Drawing& d_;
  std::unordered_map<std::string, int> layerIndex_;
};

}  // namespace

int Drawing::SkippedCount() const {
  int n = 0;
  for (const SkippedKind& s : skipped) n += s.count;
  return n;
}

const Block* Drawing::FindBlock(std::string_view name) const {
  for (const Block& b : blocks)
    if (common::EqualsNoCase(b.name, name)) return &b;
  return nullptr;
}

bool ReadDxf(std::string_view bytes, Drawing& drawing, std::string& error) {
  drawing = Drawing{};
  if (bytes.rfind(kBinarySentinel, 0) == 0) {
    error = "line 1: a binary DXF (save the drawing as ASCII DXF)";
    return false;
  }
  if (bytes.rfind(kUtf8Mark, 0) == 0) bytes.remove_prefix(kUtf8Mark.size());
  Groups groups(bytes);
  Reader(groups, drawing).Read();
  if (!groups.error().empty()) {
    error = groups.error();
    return false;
  }
  return true;
}

}  // namespace dxf
