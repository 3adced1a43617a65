// A temporary program folder with its own message window identity, for tests
// that run the real message window program. Both programs find the folder
// through DRILLING_HOME; the window program prints its boxes instead of
// waiting for a click (RELAYPANE_UNATTENDED).
#pragma once

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/app/message_channel.h"
#include "common/clock.h"
#include "common/launch.h"
#include "common/qt/local_socket_transport.h"
#include "common/qt/message_link.h"
#include "common/sjis.h"
#include "common/textfile.h"
#include "common/ui.h"

namespace relaytest {

namespace fs = std::filesystem;

inline std::string RelaypaneExecutable() { return std::string(DRILLING_PROGRAM_DIR) + "/Relaypane"; }

struct FolderOptions {
  bool withClassName = true;
  std::string logWrite = "1";  // empty: no key
  std::string extraIni;        // more lines (UTF-8) appended to Relaypane.ini
};

class RelayFolder {
 public:
  explicit RelayFolder(FolderOptions options = {}) {
    static int counter = 0;
    std::string tag = std::to_string(::getpid()) + "_" + std::to_string(++counter);
    folder = fs::temp_directory_path() / ("relaypane-test-" + tag);
    fs::remove_all(folder);
    fs::create_directories(folder);
    className = "DrillTest" + tag;
    windowName = "試験メッセージ " + tag;
    std::string ini = "[Relaypane]\n";
    if (options.withClassName) ini += "ClassName=" + className + "\n";
    ini += "WindowName=" + windowName + "\n";
    ini += "title=メッセージウィンドウ\n";
    if (!options.logWrite.empty()) ini += "LogWrite=" + options.logWrite + "\n";
    ini += "\n[WINDOW]\nWINX=1\nWINY=1\n\n[COLOR]\nINFOWIN=210,210,210\nINFOTXT=0,0,0\n";
    ini += options.extraIni;
    common::WriteFileAtomic(folder / "Relaypane.ini", common::ToCp932CrLf(ini));
    // The drilling program starts the window program from its own folder.
    fs::create_symlink(RelaypaneExecutable(), folder / "Relaypane");
    ::setenv("DRILLING_HOME", folder.c_str(), 1);
    ::setenv("RELAYPANE_UNATTENDED", "1", 1);
    // Without ClassName the window program runs under its default class name.
    runningClass = options.withClassName ? className : "MessageWindow";
  }

  ~RelayFolder() {
    if (common::MessageWindowRunning(runningClass, windowName)) {
      auto transport = common::MakeLocalSocketTransport();
      if (transport->Find(runningClass, windowName)) transport->PostClose(runningClass, windowName);
      if (!WaitEnded(5000)) {
        long long pid = common::MessageWindowPid(runningClass, windowName);
        if (pid > 0) ::kill(static_cast<pid_t>(pid), SIGKILL);
        WaitEnded(5000);
      }
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
  }

  // A context of the drilling program over this folder, with the real
  // transport, clock and launcher and a scripted Ui.
  void Wire(drilling::Context& ctx, int ackWaitMs = common::kDefaultAckWaitMs) {
    transport = common::MakeLocalSocketTransport(ackWaitMs);
    drilling::SetProgramFolder(ctx, folder);
    drilling::ReadMessageWindowIdentity(ctx);
    ctx.transport = transport.get();
    ctx.clock = &clock;
    ctx.launcher = &launcher;
    ctx.ui = &ui;
  }

  bool Running() const { return common::MessageWindowRunning(runningClass, windowName); }
  long long Pid() const { return common::MessageWindowPid(runningClass, windowName); }

  // Waits until no window of this identity holds its lock (it has written
  // its log and ended).
  bool WaitEnded(int timeoutMs) const {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
      if (!Running()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !Running();
  }

  // Asks the window to close and waits for its end.
  bool CloseAndWait(drilling::Context& ctx, int timeoutMs = 10000) {
    drilling::StartMessageWindow(ctx, 0);
    return WaitEnded(timeoutMs);
  }

  // Every log file's bytes, in file name order.
  std::string LogBytes() const {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder / "Log", ec))
      if (entry.path().extension() == ".log") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::string all;
    for (const auto& f : files) {
      std::string bytes;
      common::ReadFileBytes(f, bytes);
      all += bytes;
    }
    return all;
  }

  // The log as UTF-8 lines (split at CR LF).
  std::vector<std::string> LogLines() const {
    std::string text = common::Cp932ToUtf8(LogBytes());
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
      lines.push_back(text.substr(start, at - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
  }

  // The entries of the log's blocks (the three header lines of each block left out).
  std::vector<std::string> LogEntries() const {
    std::vector<std::string> lines = LogLines();
    std::vector<std::string> entries;
    const std::string rule(59, '#');
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] == rule && i + 2 < lines.size() && lines[i + 2] == rule) {
        i += 2;
        continue;
      }
      entries.push_back(lines[i]);
    }
    return entries;
  }

  fs::path folder;
  std::string className;
  std::string windowName;
  std::string runningClass;
  std::unique_ptr<common::MessageTransport> transport;
  common::SystemClock clock;
  common::SystemLauncher launcher;
  common::ScriptedUi ui;
};

}  // namespace relaytest
