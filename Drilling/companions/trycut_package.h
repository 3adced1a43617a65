// The package for the NC simulator TRYCUT (TRYCUT2000): a control file for
// the controller family, a stock box, a tool file built from the job's
// processes and a batch file that starts TRYCUT with them and the NC program.
// All files lie in the trycut folder and are named after the NC file's base
// name (O12.nc gives O12.CTL, O12.box, O12.ttl, O12.bat).
//
// Starting the simulation. The batch file is written for the Windows command
// interpreter and is kept exactly so. Where no such interpreter exists (Linux)
// the system starts what the batch file's start line names, itself: the
// variables set in the batch file are put into the words of its start line,
// and the program (EXEFILE) is run with those words as an argument list (a
// path with blanks stays one argument, nothing goes through a shell), from
// the batch file's folder. A Windows program (.exe) is run through wine when
// wine is installed, its absolute paths handed over as wine's drive Z:
// paths; without wine the start is reported as impossible. Both the first
// start and "TRYCUT再実行" read the batch file, so they start the same thing.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/app/results.h"
#include "Drilling/ncout/nc_creation.h"
#include "common/form.h"
#include "common/launch.h"

namespace drilling {

struct TrycutPackageNames {
  std::string base;             // NC file name without folder and last extension
  std::string controlName;      // base.CTL (the names as the batch file refers to them)
  std::string boxName;          // base.box
  std::string toolName;         // base.ttl
  std::filesystem::path controlPath;  // trycut folder / the names
  std::filesystem::path boxPath;
  std::filesystem::path toolPath;
  std::filesystem::path batchPath;    // trycut folder / base.bat
};

// Tool-file pen numbers run 1 .. kTrycutPenCount, then start again.
constexpr int kTrycutPenCount = 7;
// Process sections the package scans (PROCESS1 .. PROCESS98).
constexpr int kTrycutProcessScan = 98;

// The four names for an NC file path (either separator is a folder separator).
TrycutPackageNames PackageFileNames(const Context& ctx, std::string_view ncPath);

// Each step returns 0, or -1 with its error text in the message buffer.
// The controller's template (OSP/FANUC/MELDAS/MAZATROL.CTL in the program
// folder) followed by "MEMORY D.. = radius" for the radius-compensated
// processes (GCODE 41).
int WriteTrycutControlFile(Context& ctx, const std::filesystem::path& controlPath);
// "+BOX(upper corner, lower corner)" of the stock in work coordinates.
int WriteStockBox(Context& ctx, const std::filesystem::path& boxPath);
// "INI = MAGAZINEnn" and three lines per distinct tool number.
int WriteTrycutToolFile(Context& ctx, common::Form* main, const std::filesystem::path& toolPath);

// The operator declined to overwrite the batch file (reported as
// information): no failure, but nothing to start.
inline constexpr int kTrycutDeclined = 1;

// The batch file's twelve lines. kDone written, kTrycutDeclined, or kFailed
// (reported).
int WriteTrycutBatchFile(Context& ctx, common::Form* main, const TrycutPackageNames& names,
                         std::string_view trycutExe, std::string_view ncPath);

// What a package batch file starts: the program and its words.
struct TrycutCommand {
  std::string program;
  std::vector<std::string> arguments;
  std::vector<bool> argumentIsPath;   // the word came from a variable holding an absolute path
  std::filesystem::path folder;       // the batch file's folder (its DATADIR)
};

// Reads the "set NAME=value" lines and the "start" line of a batch file of
// this package. False when the file cannot be read or has no start line.
bool ReadTrycutBatch(const std::filesystem::path& batchPath, TrycutCommand& command);

// How the command is started on this platform. `winePath` is the wine
// program (empty when there is none). False with `why` set (Japanese, for
// the error line) when it cannot be started here.
bool TrycutLaunchRequest(const TrycutCommand& command, const std::string& winePath,
                         common::LaunchRequest& request, std::string& why);

// Starts the batch file's command without waiting. 0 started, -1 not
// (the reason listed, then "エラー：シミュレーション実行できません").
int StartTrycutBatch(Context& ctx, common::Form* main, const std::filesystem::path& batchPath);

// The whole package. kDone when the batch file was written (started or
// not), kTrycutDeclined, or kFailed on any other failure (reported). With `startSimulator` false the batch file is written
// but not started (the command line's --no-sim).
int CreateTrycutPackage(Context& ctx, common::Form* main, std::string_view trycutExe, std::string_view ncPath,
                        bool startSimulator = true);

// The TRYCUT step of NC creation: CreateTrycutPackage for the written
// program, started or not as `startSimulator` says.
TrycutStep TrycutPackageStep(bool startSimulator);

// TRYCUT再実行 (40020): starts the batch file of the job's NC program again.
int RerunTrycut(Context& ctx, common::Form& main);

}  // namespace drilling
