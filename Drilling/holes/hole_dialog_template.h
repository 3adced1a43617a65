// The template of the hole definition dialog "HOLEDEFINEDIALOG" with its menu
// "HOLEDEFINEMENU", as data: the screen, the in-memory form and drillnc
// build the same controls from it (identifiers in hole_controls.h).
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
};

// Caption replaced when the dialog opens ("[%d] 穴情報登録").
constexpr const char* kHoleDialogTitleFormat = "[%d] 穴情報登録";

const common::DialogTemplate& HoleDialogTemplate();

}  // namespace drilling
