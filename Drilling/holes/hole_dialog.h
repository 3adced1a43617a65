// The hole definition dialog "HOLEDEFINEDIALOG": one hole group of the
// current job (type, sizes, up to twenty positions). It loads the group when
// it opens, fills derived sizes from the hole dimension tables when the type
// or the hole diameter changes, and saves only on the save command.
#pragma once

#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// What a hole type text names, by the words it contains, tested in this
// order: "ドリル", "ザグリ", "タップ", "リーマ". A text with none of them is a
// type without a kind: no field changes state and no table is looked up.
enum class HoleKind { None, Drill, Counterbore, Tap, Reamer };
HoleKind HoleKindOf(std::string_view holeType);

// Empties the type, the size fields (the pitch 1106 keeps its text) and the
// twenty position rows; with `fillList`, adds the hole types of Drilling.ini
// (section HoleType, HoleType0, HoleType1, ... up to the first absent key).
void ClearHoleDialog(Context& ctx, common::Form& dialog, bool fillList);

// Enables the size fields that apply to the current type and, when the hole
// diameter field holds text, fills the derived sizes from the type's table.
// Nothing for an empty type; a field a branch does not name keeps its state.
void ApplyHoleType(Context& ctx, common::Form& dialog);

// Empties row `row` (1-20) and moves the rows below up by one until the
// first row that lacks X or Y.
void DeletePositionRow(common::Form& dialog, int row);

// The dialog procedure; the calculators open over the same context's Ui.
common::DialogProc HoleDialogProc(Context& ctx);

}  // namespace drilling
