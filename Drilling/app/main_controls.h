// Control identifiers of the main form "DRILLINGMAINDIALOG": the fields the
// job file, the material definition, process planning and NC creation read
// and fill. The form itself, its menu and its commands are the main window's
// (main_window.h), which stands above those parts.
#pragma once

namespace drilling {

enum MainControl : int {
  kTitleButton = 1000,
  kTitleEdit = 1001,
  kMaterialCombo = 1002,
  kStockXEdit = 1003,
  kStockYEdit = 1004,
  kStockZEdit = 1005,
  kOriginXEdit = 1006,
  kOriginYEdit = 1007,
  kControllerCombo = 1010,
  kCoordSystemCombo = 1011,
  kProgramNumberButton = 1012,
  kProgramNumberEdit = 1013,
  kHoleGroupButton1 = 1021,  // ... 1024
  kHoleTypeLabel1 = 1031,    // ... 1034
};

}  // namespace drilling
