// The process list: sections PROCESS1 .. PROCESS15 of the job definition
// file, one per machining process, and the operations of the process dialog
// that move it between the file and the process grid.
#pragma once

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// Adds the tool name list (`TOOLLIST` of Drilling.ini) to each of the 15
// tool name boxes, in list order.
void FillToolNameBoxes(Context& ctx, common::Form& window);

// Fills the grid from the process sections, up to the first section without
// a tool name; an absent or empty key leaves its cell as it was. Returns
// what the report of the loaded notice returns.
int LoadProcesses(Context& ctx, common::Form& window);

// Checks every row, then replaces the stored list with the grid's rows in
// one write of the file. 0 on success; negative after an error, with the
// file exactly as it was. The grid is never changed: H and D filled from T
// go only into the file.
int SaveProcesses(Context& ctx, common::Form& window);

// Empties the grid (all columns but the hole group) and, when the operator
// asks for it, the keys of the stored PROCESS1. 0, or negative when the
// file could not be written.
int InitialiseProcesses(Context& ctx, common::Form& window);

// Completes H (and D when G is exactly "41") of a row from its T.
void CopyToolNumber(common::Form& window, int row);

// Warns (kind 3) about every tapping process (G 84, a tap of a standard
// coarse metric size) whose feed is not pitch x spindle speed within 0.5 %.
// Changes nothing. The number of warnings.
int CheckTapFeeds(Context& ctx, common::Form& window);

}  // namespace drilling
