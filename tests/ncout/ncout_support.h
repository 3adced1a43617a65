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

}  // namespace drilling::testing
