// The NC program writer: turns the current job (its main data, hole groups
// and saved processes) into one G-code program for a FANUC-type machining
// centre, written into the ncdata folder as code page 932 with CR LF.
//
// The program is a header, one block per process (each drilling the points
// of one hole group, or of all groups, with one canned cycle) and a trailer.
// The job's processes and positions are read once into its plan (nc_plan.h)
// and formatted from it; the header settings and the texts of Drilling.ini
// are read by the steps below. A failing step leaves its error text in the
// message buffer and WriteNcProgram reports it.
//
// A program that fails after its file was opened never stays under its real
// name (the transfer would send it to the machine): what was written is kept
// as <name>.failed for diagnosis and the error line says so.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/ncout/nc_plan.h"
#include "common/file_keys.h"
#include "common/form.h"
#include "common/textfile.h"

namespace drilling {

// Suffix of the file that keeps a program that failed half-way.
constexpr const char* kFailedNcSuffix = ".failed";

// True when `name` names a file directly inside its folder: not empty, no
// folder separator of either platform, not "." or "..", no drive colon.
bool IsPlainFileName(std::string_view name);

// True when `word` can stand in the positioning line as the work coordinate
// system: one word of ASCII letters, digits and points (G54, G54.1P1).
bool IsCoordinateSystemWord(std::string_view word);

// Whether an output file could be created at `path` now: its folder is there
// and writable, and the name is not taken by a folder. Outputs are built in
// memory and written at the end; this is the check made where a file would
// be opened, so that the open failure is reported at the same step.
bool CanCreateOutputFile(const std::filesystem::path& path);

struct NcHeaderSettings {
  std::filesystem::path ncPath;     // ncdata folder / NcFile
  std::string coordSystem;          // G54 ...
  std::string toolChange;           // M06
  std::string mcReference;          // G28
  double startXMm = 0;
  double startYMm = 0;
  double startZMm = 50;
};

// What a run looks up more than once in Drilling.ini (the tool list), kept
// from its first read: the file does not change during a run, and every
// profile read costs a look at the file.
struct NcRunCache {
  std::vector<std::string> toolNames;  // TOOLJP0, TOOLJP1, ... as far as a search needed them
};

// Where the writer puts its lines: the program text, built in memory and
// committed whole at the end.
using NcOutput = common::TextFileWriter;

// NC file path (with the overwrite question), coordinate system, tool-change
// and reference-return codes, start position. 0, or -1 with the error text
// in the message buffer.
int ReadNcHeaderSettings(Context& ctx, NcHeaderSettings& settings);

// ReadNcHeaderSettings without the NC file: coordinate system, codes, start
// position.
int ReadNcFormatSettings(Context& ctx, NcHeaderSettings& settings);

// "(controller)" when NCFORMAT/ControlDevice is 1.
void WriteControllerComment(Context& ctx, NcOutput& out, std::string_view controllerName);

// LINE0 .. LINE99 of the section of `lines` (StartLine or EndLine of
// Drilling.ini) up to the first absent or empty one, one line each; the
// number of lines written.
int WriteFixedLines(Context& ctx, NcOutput& out, const filekeys::Key& lines);

// "(ENGLISH NAME D<diameter>)" of the process's tool when
// NCFORMAT/ToolInfomation is 1; nothing for a process without a tool name.
void WriteToolComment(Context& ctx, common::Form* owner, NcOutput& out, const PlanProcess& process,
                      NcRunCache* cache = nullptr);

// The canned-cycle line at the first point of a group. 0, or -1 (an
// unsupported cycle) with the error text in the message buffer.
int WriteCycleLine(Context& ctx, NcOutput& out, const CycleValues& values, const HolePoint& firstPoint);

// The points of the plan's hole group `group`: the cycle line, "X Y" lines,
// "G80". The number of points written (0 for a group without points, or one
// that does not exist), or -1 when a position is too large for a word or the
// cycle line failed (the error text in the message buffer).
int WriteHoleGroup(Context& ctx, NcOutput& out, const NcPlan& plan, const CycleValues& values, int group);

// WriteHoleGroup for groups 1 to 4. 0, or -1 (a cycle line failed, or no
// group had a point) with the error text in the message buffer.
int WriteAllHoleGroups(Context& ctx, NcOutput& out, const NcPlan& plan, const CycleValues& values);

// The program-end code and the closing "%" line.
void WriteProgramEnd(Context& ctx, NcOutput& out);

// Writes ncdata/<NcFile> of the current job from its plan (BuildNcPlan). 0
// on success, -1 on failure (already reported with kind -1). `plan` (when
// given) receives the plan the program was written from.
int WriteNcProgram(Context& ctx, common::Form* owner, std::string_view controllerName, NcPlan* plan = nullptr);

// The program WriteNcProgram would write for the current job, as text in
// memory (UTF-8, "\n" line ends), with the positions of the groups named in
// `positions` in place of the stored ones (the plan with those groups
// replaced): for estimates of a change before it is saved. Nothing is
// written, asked or reported. 0, or -1 with the error text in the message
// buffer (no process at all is an error too).
int ComposeNcProgram(Context& ctx, const std::map<int, std::vector<HolePoint>>& positions, std::string& text);

}  // namespace drilling
