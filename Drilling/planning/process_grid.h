// The process grid of the process dialog: 15 rows of 13 text cells, one row
// per machining process, in the column order of the stored process keys.
// Generation writes it, the operator edits it, the save checks and stores it.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "common/file_keys.h"
#include "common/form.h"

namespace drilling {

constexpr int kProcessRows = 15;
constexpr int kProcessColumns = 13;

enum ProcessColumn : int {
  kColToolName = 0,
  kColDiameter,
  kColT,
  kColH,
  kColD,
  kColS,
  kColF,
  kColG,
  kColR,
  kColZ,
  kColQ,
  kColOffset,
  kColGroup,
};

// Control identifier of a cell: 2000 + 50 x column + row (row 1..15).
constexpr int kFirstCellId = 2000;
constexpr int kCellIdsPerColumn = 50;
constexpr int ProcessCellId(int column, int row) { return kFirstCellId + kCellIdsPerColumn * column + row; }
// The column and row of a cell's identifier (not a cell's: a row outside 1..15).
constexpr int ProcessCellColumn(int id) { return (id - kFirstCellId) / kCellIdsPerColumn; }
constexpr int ProcessCellRow(int id) { return (id - kFirstCellId) % kCellIdsPerColumn; }
// The T cells are 2101..2115: leaving one completes H and D of its row.
constexpr int kFirstTCell = ProcessCellId(kColT, 1);
constexpr int kLastTCell = ProcessCellId(kColT, kProcessRows);

struct ProcessColumnInfo {
  const char* key;      // key of the process section
  const char* heading;  // grid heading, also names the column in messages
  std::size_t room;     // bytes a cell is taken and a key read with, NUL included
};

// In the order a save writes the keys. Every key is read back with the room
// it is written with, so a load followed by a save never changes a value.
inline constexpr std::array<ProcessColumnInfo, kProcessColumns> kProcessColumnInfo{{
    {filekeys::job::kToolName.name, "工具名", filekeys::job::kToolName.room},
    {filekeys::job::kToolDiameter.name, "径", filekeys::job::kToolDiameter.room},
    {filekeys::job::kToolT.name, "T", filekeys::job::kToolT.room},
    {filekeys::job::kToolH.name, "H", filekeys::job::kToolH.room},
    {filekeys::job::kToolD.name, "D", filekeys::job::kToolD.room},
    {filekeys::job::kSpindle.name, "S", filekeys::job::kSpindle.room},
    {filekeys::job::kFeedRate.name, "F", filekeys::job::kFeedRate.room},
    {filekeys::job::kGCode.name, "G", filekeys::job::kGCode.room},
    {filekeys::job::kRCode.name, "R", filekeys::job::kRCode.room},
    {filekeys::job::kZCode.name, "Z", filekeys::job::kZCode.room},
    {filekeys::job::kQCode.name, "Q", filekeys::job::kQCode.room},
    {filekeys::job::kOffset.name, "OFF", filekeys::job::kOffset.room},
    {filekeys::job::kGroup.name, "穴", filekeys::job::kGroup.room},
}};

// "PROCESS<n>".
std::string ProcessSection(int n);

// The text of a cell as the save takes it (cut to the column's room).
std::string CellText(const common::Form& form, int column, int row);
void SetCellText(common::Form& form, int column, int row, const std::string& text);

}  // namespace drilling
