// Process generation: the hole groups of the current job become a proposed
// list of machining processes in the process grid, with tools, T/H/D,
// speeds, feeds, cycles and R/Z/Q values from the condition tables,
// Drilling.ini and the tool table. Nothing is computed: every diameter and
// depth comes from the hole group or a table. Nothing is written to a file.
#pragma once

#include "Drilling/app/context.h"
#include "Drilling/planning/condition_tables.h"
#include "Drilling/planning/hole_kinds.h"
#include "common/form.h"

namespace drilling {

// Tool name the kind selects in the tool name box (as `TOOLLIST` names it).
const char* ProcessToolName(ProcessKind kind);
// Key of the kind in sections `Cycle` and `Rcode` of Drilling.ini.
const char* ProcessCycleKey(ProcessKind kind);

// The whole generation into the grid of the process dialog `window`. Asks
// first when row 1 already holds a tool name (No: nothing changes, 0).
// 0, or -1 when the centre drill process failed (nothing else generated).
int GenerateProcesses(Context& ctx, common::Form& window);

// Fills grid row `row` for one process of `kind` from `record` (Diameter and
// Depth or Extra set by the caller). 0, or -1 after a reported failure; the
// row keeps what was written before the failure.
int WriteProcessRow(Context& ctx, common::Form& window, int row, ProcessKind kind, CuttingConditions& record);

// Diameter (not for "mentori"), S, F, G and R of a row. 0, or the negative
// result of the report when the cycle key has no G code (R then not written).
int WriteCommonCells(Context& ctx, common::Form& window, const CuttingConditions& record, int row,
                     const char* cycleKey);

// T and H (and D when G is 41) of the rows that have none, from the tool
// table, up to the first row without a tool name. 0, or -1 when the tool
// table cannot be located (reported).
int AssignToolNumbers(Context& ctx, common::Form& window);

}  // namespace drilling
