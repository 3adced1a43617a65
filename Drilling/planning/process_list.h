// The process list: sections PROCESS1 .. PROCESS15 of the job definition
// file, one per machining process, and the operations of the process dialog
// that move it between the file and the process grid.
#pragma once

#include <string>

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

// The question before a list made anew replaces a stored one.
constexpr const char* kReplaceProcessesQuestion = "保存してある加工工程があります。\n作成した工程で置き換えますか？";
// SaveProcesses: the operator declined to replace the stored list.
constexpr int kProcessSaveDeclined = 1;

// True when the job holds a process list (PROCESS1 has a tool name).
bool HasStoredProcesses(const Context& ctx);

// Checks every row, then replaces the stored list with the grid's rows in
// one write of the file. The list is every row up to the last one holding
// anything but its hole group; a row without a tool name among them, a cell
// wider than its key, a T or H that is not 1-98, a D, S or F that is not a
// whole number (S and F above 0), a hole group that is not empty or 1-4 or
// names a group without positions, or a cycle with a bottom whose R is not
// above Z is refused, naming the row and column. With `askBeforeReplacing`
// a stored list is replaced only after the operator says Yes.
// 0 on success; kProcessSaveDeclined when the operator said No; negative
// after an error. Unless 0, the file is exactly as it was. The grid is never
// changed: H and D filled from T go only into the file.
int SaveProcesses(Context& ctx, common::Form& window, bool askBeforeReplacing = false);

// Empties the grid (all columns but the hole group) and, when the operator
// asks for it, the keys of the stored PROCESS1. 0, or negative when the
// file could not be written.
int InitialiseProcesses(Context& ctx, common::Form& window);

// Completes H (and D when G is exactly "41") of a row from its T.
void CopyToolNumber(common::Form& window, int row);

// The text a save stores for a number of the R, Z, Q or OFF column: number
// text with the point kept; a depth Z above 0 is below the work surface and
// stored negated (25 gives "-25.").
std::string SavedNumberText(int column, double value);

// Shows cell `id` as the save will store it, so that what the operator
// reviews is what the program gets: a number of the R, Z, Q or OFF column in
// its saved form. Any other cell, and text that is no number (the save names
// it), stay as typed.
void ShowCellAsSaved(common::Form& window, int id);

// Warns (kind 3) about every tapping process (G 84, a tap of a standard
// coarse metric size) whose feed is not pitch x spindle speed within 0.5 %.
// Changes nothing. The number of warnings.
int CheckTapFeeds(Context& ctx, common::Form& window);

}  // namespace drilling
