// Machining condition tables: spindle speed, feed and, for the centre drill
// and the drill, a depth value per tool diameter, one table per process kind
// and work material (program folder + name + material + ".tbl"). Each reader
// opens its table, scans it from the top and closes it: an edited table
// takes effect at the next call.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// One process's conditions. The readers fill only the fields they name, and
// only when a row is selected.
struct CuttingConditions {
  double Diameter = 0;  // tool diameter looked up (chamfer: the hole's diameter)
  double Spindle = 0;   // spindle speed, rev/min
  double Feed = 0;      // feed, mm/min
  double Extra = 0;     // cdrill: centre drilling Z; drill: peck Q; others: the caller's depth, untouched
  double Depth = 0;     // drill depth; never touched by the readers
};

// Table names.
inline constexpr const char* kCentreDrillTable = "cdrill";
inline constexpr const char* kDrillTable = "drill";
inline constexpr const char* kChamferTable = "Mentori";
inline constexpr const char* kTapTable = "mTapN";
inline constexpr const char* kCounterboreTable = "Zaguri";
inline constexpr const char* kReamerTable = "Reamer";

// The material of the current job (`Drilling`/`材質`, cut to 7 bytes at a
// character boundary); empty when the job has none.
std::string ReadJobMaterial(const Context& ctx);

// programFolder / (tableName + material + ".tbl").
std::filesystem::path ConditionTablePath(const Context& ctx, std::string_view tableName,
                                         std::string_view material);

// Each returns kFound when a row was selected, a negative value after a reported
// failure ("window" owns the error boxes; it may be null).

// Sets Diameter from `HOLE`/`CDRILLDIAM` of Drilling.ini, then fills Spindle,
// Feed and Extra (the centre drilling Z) from the "cdrill" table.
int ReadCentreDrillConditions(Context& ctx, common::Form* window, CuttingConditions& record);
// Fills Spindle, Feed and Extra (the peck Q) for Diameter from "drill".
int ReadDrillConditions(Context& ctx, common::Form* window, CuttingConditions& record);
// Fills Spindle and Feed from the "Mentori" band whose lower bound is the
// last one not above Diameter. kFound whenever the table could be read, also
// when no band applies (the record is then unchanged).
int ReadChamferConditions(Context& ctx, common::Form* window, CuttingConditions& record);
// Fills Spindle and Feed for Diameter from a 3-number table ("mTapN",
// "Zaguri", "Reamer"); Extra stays the caller's.
int ReadConditionTable(Context& ctx, common::Form* window, std::string_view tableName,
                       CuttingConditions& record);

}  // namespace drilling
