// Hole dimension tables: the standard sizes that belong to a hole diameter,
// written into the hole definition dialog's size fields. Independent of the
// work material. Files in the program folder:
//   Zaguri.tbl  counterbores for socket head cap screws, 4 numbers a row:
//               nominal size, hole diameter (key), counterbore diameter,
//               counterbore depth;
//   mTapN.tbl   coarse-thread taps, 6 numbers a row: nominal diameter (key),
//               pitch, pilot drill, chamfer depth, tap depth, pilot depth;
//   Reamer.tbl  reamers, 6 numbers a row: nominal diameter (key), reaming
//               allowance, pilot drill, chamfer depth, reamer depth, pilot
//               depth.
// A row whose first or second number is 0 ends a table. Depths of the tap
// and reamer tables are written only when negative: 0 or above keeps the
// operator's value.
#pragma once

#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

inline constexpr const char* kCounterboreSizesFile = "Zaguri.tbl";
inline constexpr const char* kTapSizesFile = "mTapN.tbl";
inline constexpr const char* kReamerSizesFile = "Reamer.tbl";

// Each reads the hole diameter (field 1101) of the hole definition dialog
// and writes the sizes of the matching row into its fields. 0 when a row was
// applied, 1 when the table has no row for the diameter (reported as
// information), a negative value after an error report; fields change only
// when a row is applied.
int LookUpCounterbore(Context& ctx, common::Form& dialog);
int LookUpTapSizes(Context& ctx, common::Form& dialog);
int LookUpReamerSizes(Context& ctx, common::Form& dialog);

// The look-up the hole type asks for, by the words tested in the dialog's
// order: "ドリル" (none), "ザグリ", "タップ", "リーマ". The look-up's result,
// or 2 when the type asks for none.
int LookUpSizesForHoleType(Context& ctx, common::Form& dialog, std::string_view holeType);

}  // namespace drilling
