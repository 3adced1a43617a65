// Control identifiers of the hole definition dialog "HOLEDEFINEDIALOG": the
// layout of one hole group, shared by the job file (load and save of a
// group), the dimension table look-ups, the hole kinds and the dialog itself.
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
