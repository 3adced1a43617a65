// A fresh drilling context over a temporary program folder, with scripted
// seams: a recording message window, scripted answers, a fixed clock.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Drilling/app/context.h"
#include "common/clock.h"
#include "common/launch.h"
#include "common/message_transport.h"
#include "common/sjis.h"
#include "common/ui.h"
#include "support/temp_folder.h"

namespace testsupport {

class AppFixture : public ::testing::Test {
 protected:
  AppFixture() : transport_([this](const std::string& line) { lines.push_back(line); }) {
    drilling::SetProgramFolder(ctx, folder.Path());
    ctx.messageWindowClass = "DrillingMessage";
    ctx.messageWindowName = "穴明け加工メッセージ";
    ctx.ui = &ui;
    ctx.transport = &transport_;
    ctx.launcher = &launcher;
    ctx.clock = &clock;
  }

  // Writes Drilling.ini from UTF-8 text with "\n" line ends.
  void WriteConfig(const std::string& utf8) {
    std::string bytes;
    for (char c : common::Utf8ToCp932(utf8)) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
    WriteBytes(ctx.configPath, bytes);
  }

  TempFolder folder;
  drilling::Context ctx;
  common::ScriptedUi ui;
  common::RecordingLauncher launcher;
  common::FixedClock clock;
  std::vector<std::string> lines;  // every line delivered to the message window

 private:
  common::CallbackTransport transport_;
};

}  // namespace testsupport
