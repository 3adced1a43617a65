// Control identifiers of the hole definition dialog "HOLEDEFINEDIALOG", shared
// by the job file (load and save of a hole group), the dimension table
// look-ups and the dialog itself.
#pragma once

namespace drilling {

enum HoleControl : int {
  kHoleTypeCombo = 1100,     // 種類, 31 characters
  kHoleDiameterEdit = 1101,  // 穴径
  kHoleDepthEdit = 1102,     // 深さ
  kChamferDepthEdit = 1103,  // 面取深
  kPilotDiameterEdit = 1104, // 下穴径
  kPilotDepthEdit = 1105,    // 下穴深
  kPitchEdit = 1106,         // not stored
  kCboreDiameterEdit = 1107, // 座穴径
  kCboreDepthEdit = 1108,    // 座深さ
  kHoleX1Edit = 1201,        // X of row 1 .. 1220 for row 20
  kHoleY1Edit = 1301,        // Y of row 1 .. 1320 for row 20
  kHoleRow1Button = 1401,    // row labels [01] .. [20]
};

constexpr int kHoleRows = 20;

}  // namespace drilling

namespace drilling {

// The bolt-circle calculator "CALCIRCLECOORDINATEDLG".
enum CircleControl : int {
  kCircleDiameterEdit = 1520,        // circle diameter, required
  kCircleCentreXEdit = 1521,         // required
  kCircleCentreYEdit = 1522,         // required
  kCircleStartAngleEdit = 1523,      // degrees, counter-clockwise from +X; empty means 0
  kCircleHoleCountEdit = 1524,       // empty means 0
  kCircleReferenceAngleEdit = 1525,  // read-only: 360 / number of holes
};

// The coordinate copy "COORDINATEMOVEDLG".
enum CopyControl : int {
  kCopyBaseXEdit = 1530,
  kCopyBaseYEdit = 1531,
  kCopyStepXEdit = 1532,
  kCopyStepYEdit = 1533,
  kCopyCountXEdit = 1534,  // copies in X, the base point not counted
  kCopyCountYEdit = 1535,
};

}  // namespace drilling
