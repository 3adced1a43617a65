// The process-wide state of the drilling program, in one explicit object.
// The program makes one at start-up; tests make a fresh one over a temporary
// program folder. Nothing else is global.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "common/clock.h"
#include "common/colour.h"
#include "common/launch.h"
#include "common/message_transport.h"
#include "common/ui.h"

namespace drilling {

// Size of the one message buffer: a line is at most 1023 bytes of code page
// 932 text plus its terminating NUL.
constexpr std::size_t kMessageBufferSize = 1024;


struct Context {
  // Folders and files.
  std::filesystem::path programFolder;   // the executable's folder, DRILLING_HOME or the user's folder
  // Where Relaypane is, beside this program; the program folder when empty.
  std::filesystem::path executableFolder;
  std::filesystem::path configPath;      // programFolder / "Drilling.ini"
  std::filesystem::path messageWindowConfigPath;  // programFolder / "Relaypane.ini"

  // Identity of the message window (from Relaypane.ini at start-up).
  std::string messageWindowClass;
  std::string messageWindowName;

  std::string rightsNotice;
  common::Rgb windowColour{210, 210, 210};
  common::Rgb textColour{0, 0, 0};

  // Set by SetDialogFolder; empty or a data folder, without trailing separator.
  std::string dialogFolder;

  // The job: the current job definition file (empty when none) and the hole
  // group the hole definition dialog edits (1-4).
  std::filesystem::path currentJobPath;
  int currentHoleGroup = 1;
  // Process dialog: 0 generate, 1 load.
  int processDialogMode = 0;
  // How long a change of the job waits for another program changing it.
  int jobLockWaitMs = 10000;

  // Where the main window is (screen pixels), as last seen by its
  // procedure: the message window opens beside it, not over it.
  std::optional<common::Rect> mainWindowFrame;

  // The line waiting to be reported (UTF-8; cut to 1023 bytes of code page
  // 932 when it is set through SetMessage).
  std::string messageBuffer;

  // Trace lines go to traceOut when set (the console of DebugWindow = 1).
  std::FILE* traceOut = nullptr;

  // Seams.
  common::Ui* ui = nullptr;
  common::MessageTransport* transport = nullptr;
  common::Launcher* launcher = nullptr;
  common::Clock* clock = nullptr;

  // printf-style trace line; nothing when there is no console.
  void Trace(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Paths of the data folders.
  std::filesystem::path JobFolder() const { return programFolder / "DB"; }
  std::filesystem::path NcFolder() const { return programFolder / "ncdata"; }
  std::filesystem::path DxfFolder() const { return programFolder / "DXF"; }
  std::filesystem::path TrycutFolder() const { return programFolder / "trycut"; }
};

// Sets the paths that derive from the program folder.
void SetProgramFolder(Context& ctx, const std::filesystem::path& folder);

}  // namespace drilling
