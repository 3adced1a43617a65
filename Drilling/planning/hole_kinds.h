// Hole kinds: what a hole type names and everything that follows from it,
// described once. A hole type (the text of 種類, "タップ（並目）") names a kind
// by the word it contains; the kinds are tested in their order here, and a
// text with none of the words is a type without a kind (no field changes
// state, no table is looked up, nothing is planned, only the hole circle is
// drawn). Each entry says:
//   - which fields of the hole definition dialog apply (enabled) and which do
//     not (disabled); a field named neither way keeps its state;
//   - the hole dimension table that fills the dialog's derived sizes;
//   - the processes it plans, each with the hole group keys it reads;
//   - the circles the DXF drawing draws at each position besides the hole
//     diameter.
// Adding a kind is one entry here plus its tables (a dimension table in
// dimension_tables.cpp, the conditions of a new process kind).
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "Drilling/planning/dimension_tables.h"
#include "common/file_keys.h"

namespace drilling {

enum class HoleKind { Drill, Counterbore, Tap, Reamer };

// The processes a plan is made of.
enum class ProcessKind {
  CentreDrill,
  Drill,
  Chamfer,
  Tap,
  Counterbore,
  Reamer,
};

// A value of the hole group a process or a drawing reads: its key in the
// job file and the text reported when it is missing (nullptr: none).
struct HoleValue {
  const filekeys::Key* key;
  const char* missingText;
};

// One process of a plan. A diameter without a key is the diameter of the
// group's drill process (the chamfer reads only its depth).
struct PlannedProcess {
  ProcessKind kind;
  HoleValue diameter;
  HoleValue depth;
  bool optional;  // a missing depth ends the group without an error
};

struct HoleKindDescription {
  HoleKind kind;
  const char* word;  // the type text contains it
  // Hole definition dialog (0 ends a list).
  std::array<int, 5> enabledFields;
  std::array<int, 5> disabledFields;
  const DimensionTable* sizes;  // nullptr: no look-up
  // Process generation.
  const char* planTrace;  // printed when the group's plan starts, or nullptr
  std::array<PlannedProcess, 3> plan;
  int planCount;
  // DXF drawing: a circle besides the hole diameter at every position, its
  // missing text a format with the group number (key nullptr: none).
  HoleValue circle;
};

// Every kind, in the order the words are tested.
std::span<const HoleKindDescription> HoleKinds();

// The first kind whose word `holeType` contains (a byte-wise search of the
// UTF-8 text finds exactly the whole characters); nullptr for none.
const HoleKindDescription* FindHoleKind(std::string_view holeType);

// The description of `kind`; nullptr for a kind without one.
const HoleKindDescription* DescribeHoleKind(HoleKind kind);

}  // namespace drilling
