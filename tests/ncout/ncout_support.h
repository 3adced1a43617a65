// A temporary program folder with its data folders, a job file and a
// context whose seams record: reported lines, boxes, launches.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Drilling/app/context.h"
#include "common/launch.h"
#include "common/message_transport.h"
#include "common/ui.h"
#include "gcode/program.h"

namespace drilling::testing {

class NcFolderTest : public ::testing::Test {
 protected:
  NcFolderTest();
  ~NcFolderTest() override;

  // Writes a file of the program folder (Drilling.ini, a template, the job)
  // from UTF-8 text with "\n" line ends, as code page 932 with CR LF.
  void WriteText(const std::filesystem::path& path, std::string_view utf8Text);
  void Config(std::string_view utf8Text) { WriteText(ctx.configPath, utf8Text); }
  void Job(std::string_view utf8Text) { WriteText(ctx.currentJobPath, utf8Text); }

  // The raw bytes of a file ("<missing>" when it cannot be read).
  static std::string Bytes(const std::filesystem::path& path);
  // A golden file of tests/<goldenFolder>/golden.
  std::string Golden(std::string_view name) const;
  // Code page 932 with CR LF from UTF-8 with "\n".
  static std::string Cp932(std::string_view utf8Text);

  // The text of the last error box ("" when there was none).
  std::string LastErrorBox() const;
  int ErrorBoxCount() const;
  bool Reported(std::string_view line) const;

  std::filesystem::path folder;
  // The test folder whose golden files Golden reads.
  std::string goldenFolder = "ncout";
  common::ScriptedUi ui;
  common::RecordingLauncher launcher;
  std::vector<std::string> lines;
  common::CallbackTransport transport{[this](const std::string& line) { lines.push_back(line); }};
  Context ctx;
};

// A written program as the machine reads it (the reader of gcode/, which
// knows nothing of the writer), with every problem: the reader's and the
// check's findings, and what the writer promises beyond what a control
// refuses (CR LF on every line, % frames, the O word first, every hole drilled
// absolute with a tool, its length offset, the spindle and coolant on, depth
// words only on a cycle line, the spindle stopped at a tool change, no cycle
// left active at the end).
struct ReadBack {
  gcode::Program program;
  std::vector<std::string> problems;  // empty for a sound program
};
ReadBack ReadBackProgram(std::string_view bytes);

}  // namespace drilling::testing
