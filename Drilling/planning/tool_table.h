// The tool table file: which tool sits in which pocket of the machining
// centre's magazine. An INI-style file named by `Drilling`/`ToolTable` of
// Drilling.ini (relative to the program folder), one section `MAGAZINE<n>`
// per pocket with the keys NAME, DIAM, T, H and D. The pocket number n is
// the tool number T of the NC program; H and D default to n.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Drilling/app/context.h"
#include "common/file_keys.h"
#include "common/form.h"

namespace drilling {

// Pockets that are listed and searched (1..98); a new file has 99 sections.
constexpr int kMagazinePockets = 98;
constexpr int kNewToolTablePockets = 99;
// Widths in code page 932 bytes (the keys of common/file_keys.h).
constexpr std::size_t kToolNameRoom = filekeys::tooltable::kName.room;          // NAME, 31 bytes
constexpr std::size_t kToolDiameterRoom = filekeys::tooltable::kDiameter.room;  // DIAM, 7 bytes
constexpr std::size_t kToolNumberRoom = filekeys::tooltable::kToolNumber.room;  // T, H, D as typed, 3 bytes

// Tool names of the process kinds, as `TOOLLIST` of Drilling.ini names them.
inline constexpr const char* kCentreDrillToolName = "センタードリル";
inline constexpr const char* kChamferToolName = "面取りカッター";

// A pocket looked for: Diameter set by the caller, T, H and D by the look-up.
struct MagazineTool {
  double Diameter = 0;
  double T = 0;
  double H = 0;
  double D = 0;
};

enum class ToolTablePurpose {
  List,      // the tool list dialog: a missing file is created
  Planning,  // process generation: a missing file is an error
};

// The tool name list: `TOOLLIST`/`TOOLJP0`, `TOOLJP1`, ... up to the first
// absent or empty key (at most TOOLJP98), 31 bytes each, in key order.
std::vector<std::string> ReadToolNameList(const Context& ctx);

// Forms the tool table path into `path`. 0 when the file exists; a negative
// value after reporting otherwise. For List a missing file is created (with
// 99 free pockets) and the result is still -1: the request that asked does
// nothing further this time.
int LocateToolTable(Context& ctx, common::Form* window, ToolTablePurpose purpose, std::filesystem::path& path);

// Writes a new file: for n = 1..99 a section MAGAZINE<n> with NAME, DIAM, H
// and D empty and T = n. 0, or -1 when it could not be written.
int CreateToolTable(const std::filesystem::path& path);

// The first pocket (1..98) named `name` (bytes compared, case matters) whose
// DIAM equals record.Diameter; a centre drill or chamfer cutter pocket
// without DIAM is taken for any diameter, the last such one unless an exact
// pocket follows. kFound with T, H and D filled, kNotFound when none (nothing
// reported).
int FindMagazineTool(std::string_view name, MagazineTool& record, const std::filesystem::path& path);

// One listed pocket.
struct MagazinePocket {
  int pocket = 0;
  std::string name;
  std::string diameter;  // as stored, "-" when absent or empty
  int h = 0;
  int d = 0;
};

// The pockets 1..98 that hold a tool (a name not of blanks only), in pocket order.
std::vector<MagazinePocket> ReadMagazinePockets(const std::filesystem::path& path);

// The list line of a pocket: name, diameter, T, H and D in columns of 21, 9,
// 7 and 7 bytes. A value that fills its column is followed by one blank, so
// the line always splits back into its five values (a diameter typed with
// blanks inside shows up to its first blank, one of blanks only as "-").
std::string FormatToolListLine(const MagazinePocket& pocket);

// The five input fields of the tool list dialog.
struct ToolListFields {
  std::string name;
  std::string diameter;
  std::string t;
  std::string h;
  std::string d;
};

// Splits a list line back into the fields: the last four pieces are the
// diameter, T, H and D; what precedes them is the name (a name may hold
// blanks). A diameter shown as "-" gives an empty diameter field, so that a
// pocket without a diameter keeps none when it is updated from the list.
ToolListFields SplitToolListLine(std::string_view line);

// Writes the fields into pocket MAGAZINE<T> (H and D take T's text when
// empty). Refused with the field named, nothing written: a name with a line
// break or longer than 31 bytes, a diameter that is not a number or longer
// than 7 bytes, a T that is not a pocket number 1..98, an H or D that is not
// 1 to 3 digits. 0, or a negative value after reporting.
int UpdateMagazinePocket(Context& ctx, common::Form* window, const ToolListFields& fields);

// Frees pocket MAGAZINE<T>: NAME, DIAM, H and D emptied, T kept as typed
// (refused like the update's T).
int DeleteMagazinePocket(Context& ctx, common::Form* window, std::string_view t);

}  // namespace drilling
