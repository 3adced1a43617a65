// The templates of the hole definition dialog "HOLEDEFINEDIALOG" (menu
// "HOLEDEFINEMENU") and of its two calculators (menu "CALCULATMENU"), as
// data: the screen, the in-memory form and drillnc build the same controls
// from them (the hole dialog's identifiers in Drilling/job/hole_controls.h,
// the calculators' here).
#pragma once

#include "common/dialog_template.h"

namespace drilling {

enum HoleDialogCommand : int {
  kHoleCmdSave = 40070,
  kHoleCmdCancel = 40071,
  kHoleCmdHelp = 40072,
  kHoleCmdLoad = 40073,
  kHoleCmdCircle = 40080,     // coordinates on a circle
  kHoleCmdMoveBase = 40082,   // coordinates from a base point
  kHoleCmdOrder = 40084,      // a short visiting order of the positions
  kHoleCmdImport = 40085,     // the job's hole groups from a DXF drawing
};

// Caption replaced when the dialog opens ("[%d] 穴情報登録").
constexpr const char* kHoleDialogTitleFormat = "[%d] 穴情報登録";

const common::DialogTemplate& HoleDialogTemplate();

// Commands of the calculators' menu "CALCULATMENU".
enum CalculatorCommand : int {
  kCalcCmdEscape = 2,  // the Escape key
  kCalcCmdClose = 40071,
  kCalcCmdHelp = 40072,
  kCalcCmdCalculate = 40081,
};

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

// "円上等角度の座標計算": holes at equal angles on a circle.
const common::DialogTemplate& BoltCircleDialogTemplate();
// "基点からの座標コピー": copies of a base point in X and Y steps.
const common::DialogTemplate& CoordinateCopyDialogTemplate();

}  // namespace drilling
