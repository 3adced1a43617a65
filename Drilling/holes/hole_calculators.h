// The two position calculators of the hole definition dialog: holes at equal
// angles on a circle ("CALCIRCLECOORDINATEDLG") and copies of a base point in
// a grid of X and Y steps ("COORDINATEMOVEDLG"), both with the menu
// "CALCULATMENU". Each is a modal dialog owned by the hole definition dialog
// and writes its results into the owner's free position rows; it stays open
// after a calculation.
#pragma once

#include "Drilling/app/context.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "common/form.h"

namespace drilling {

common::DialogProc BoltCircleDialogProc(Context& ctx);
common::DialogProc CoordinateCopyDialogProc(Context& ctx);

// The first row 1-20 of the hole definition dialog whose X field is empty,
// or 0 when every row holds an X value (the table is full).
int FindFirstEmptyRow(const common::Form& holeDialog);

struct Point {
  double x = 0;
  double y = 0;
};

// centre + radius * (cos, sin) of `angleDeg` (pi = 3.141592653589793); each
// coordinate below 0 and above -0.0005 becomes 0, so that it is not written
// as "-0.".
Point PolarToXY(double radius, double angleDeg, Point centre);

// Command 40081 of each calculator; `calculator` is the calculator's form,
// its owner the hole definition dialog. 0 when every result was written;
// -1 after an error report (missing or bad input, a result too long for a
// field: nothing written; no free row or not every result fitting into
// rows 1-20: the ones that fit are written).
int CalculateBoltCircle(Context& ctx, common::Form& calculator);
int CopyCoordinates(Context& ctx, common::Form& calculator);

// The number-of-holes field lost the focus: field 1525 shows 360 / n, or
// nothing when n is 0 or less (no holes, no angle).
void ShowReferenceAngle(Context& ctx, common::Form& calculator);

}  // namespace drilling
