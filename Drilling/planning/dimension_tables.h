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

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/app/results.h"
#include "common/form.h"

namespace drilling {

inline constexpr const char* kCounterboreSizesFile = "Zaguri.tbl";
inline constexpr const char* kTapSizesFile = "mTapN.tbl";
inline constexpr const char* kReamerSizesFile = "Reamer.tbl";

// A column of a table row (0-based) and the hole definition dialog field it
// fills; with onlyBelowZero only when the value is negative.
struct SizeColumn {
  int column;
  int field;
  bool onlyBelowZero;
};

// One hole dimension table: its file, its rows, the fields a row fills (in
// this order) and its texts.
struct DimensionTable {
  const char* file;
  int width;
  int keyColumn;             // 0-based, compared exactly with the hole diameter
  unsigned negativeColumns;  // bit c: column c may be negative (depths)
  std::array<SizeColumn, 4> fills;
  int fillCount;
  const char* tableLine;  // kind 0, with the path
  const char* missing;    // kind -1
  const char* openError;  // kind -1, with the path
  const char* name;       // in the bad-data error
  const char* noRow;      // kind 1
};

// The three tables (the hole kinds of hole_kinds.h name them).
extern const DimensionTable kCounterboreSizes;
extern const DimensionTable kTapSizes;
extern const DimensionTable kReamerSizes;

// Results of the look-ups besides kDone (a row was applied) and a negative
// value (an error was reported).
inline constexpr int kNoDimensionRow = 1;    // no row for the diameter (reported as information)
inline constexpr int kNoDimensionTable = 2;  // the type names no table to look in

// Reads the hole diameter (field 1101) of the hole definition dialog and
// writes the sizes of the matching row of `table` into its fields: kDone, or
// kNoDimensionRow, or a negative value after an error report; fields change
// only when a row is applied.
int LookUpDimensions(Context& ctx, common::Form& dialog, const DimensionTable& table);

// One row of a table (its first `width` numbers).
using DimensionRow = std::array<double, 6>;

// Every sound row of `table` up to its end row (rows with a fault of their
// own are passed over): for the import of holes from a drawing, which pairs
// concentric circles with them. False with the error text in `problem` when
// the table cannot be read or stops at bad data (the rows before it kept).
bool ReadDimensionRows(const Context& ctx, const DimensionTable& table, std::vector<DimensionRow>& rows,
                       std::string& problem);

// LookUpDimensions of each table.
int LookUpCounterbore(Context& ctx, common::Form& dialog);
int LookUpTapSizes(Context& ctx, common::Form& dialog);
int LookUpReamerSizes(Context& ctx, common::Form& dialog);

// The look-up of the kind the hole type names (hole_kinds.h): the look-up's
// result, or kNoDimensionTable when the type names no kind or one without a
// table.
int LookUpSizesForHoleType(Context& ctx, common::Form& dialog, std::string_view holeType);

}  // namespace drilling
