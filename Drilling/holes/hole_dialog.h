// The hole definition dialog "HOLEDEFINEDIALOG": one hole group of the
// current job (type, sizes, up to twenty positions). It loads the group when
// it opens (as stored: no look-up), fills derived sizes from the hole
// dimension tables when the operator picks a type or changes the hole
// diameter, and saves only on the save command.
#pragma once

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// Empties the type, the size fields (the pitch 1106 keeps its text) and the
// twenty position rows; with `fillList`, adds the hole types of Drilling.ini
// (section HoleType, HoleType0, HoleType1, ... up to the first absent key).
void ClearHoleDialog(Context& ctx, common::Form& dialog, bool fillList);

// The current group as stored, in a cleared dialog (its type list filled
// first when `fillList`): its sizes may differ from the table's on purpose,
// so nothing is looked up; only the fields of its type are enabled.
void ShowStoredGroup(Context& ctx, common::Form& dialog, bool fillList);

// The fields that apply to the kind of the current type enabled, those that
// do not disabled (hole_kinds.h); a field the kind names neither way keeps
// its state. Nothing for an empty type or a type without a kind.
void EnableHoleTypeFields(common::Form& dialog);

// The derived sizes of the current type's kind from its dimension table, for
// the hole diameter typed. The diameter must be a number: text that is not
// one is refused with the error naming the field instead of being looked up
// as its leading digits; an empty field goes to the look-up, which reports
// that it cannot get the diameter. Nothing for a kind without a table.
void LookUpHoleSizes(Context& ctx, common::Form& dialog);

// The operator picked a type: EnableHoleTypeFields, then, when the hole
// diameter field holds text, LookUpHoleSizes. Nothing for an empty type.
void ApplyHoleType(Context& ctx, common::Form& dialog);

// The operator left the hole diameter field: the derived sizes belong to the
// old diameter, so they are emptied (for any type that is not empty) before
// LookUpHoleSizes of the new one.
void HoleDiameterLeft(Context& ctx, common::Form& dialog);

// Empties row `row` (1-20) and moves the rows below up by one until the
// first row that lacks X or Y.
void DeletePositionRow(common::Form& dialog, int row);

// The dialog procedure; the calculators open over the same context's Ui.
common::DialogProc HoleDialogProc(Context& ctx);

}  // namespace drilling
