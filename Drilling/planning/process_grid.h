// The process grid of the process dialog: 15 rows of 13 text cells, one row
// per machining process, in the column order of the stored process keys.
// Generation writes it, the operator edits it, the save checks and stores it.
#pragma once

#include <array>
#include <cstddef>
#include <string>

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
constexpr int ProcessCellId(int column, int row) { return 2000 + 50 * column + row; }
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
    {"TOOLNAME", "工具名", 32},
    {"TOOLDIAM", "径", 16},
    {"TOOLT", "T", 8},
    {"TOOLH", "H", 8},
    {"TOOLD", "D", 8},
    {"SPINDL", "S", 8},
    {"FEEDRATE", "F", 8},
    {"GCODE", "G", 8},
    {"RCODE", "R", 16},
    {"ZCODE", "Z", 16},
    {"QCODE", "Q", 8},
    {"OFFSET", "OFF", 8},
    {"GROUP", "穴", 8},
}};

// "PROCESS<n>".
std::string ProcessSection(int n);

// The text of a cell as the save takes it (cut to the column's room).
std::string CellText(const common::Form& form, int column, int row);
void SetCellText(common::Form& form, int column, int row, const std::string& text);

}  // namespace drilling
