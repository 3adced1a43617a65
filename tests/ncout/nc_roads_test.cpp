// The shipped sample job through the two roads: the main window's
// 【ＮＣデータ作成】 and `drillnc nc`. Both must write the same bytes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "Drilling/app/main_window.h"
#include "Drilling/job/job_file.h"
#include "common/memory_form.h"
#include "common/text.h"
#include "common/textfile.h"
#include "ncout/ncout_support.h"

namespace fs = std::filesystem;

namespace drilling::testing {
namespace {

constexpr const char* kOutputs[] = {"ncdata/O1001.nc", "trycut/O1001.CTL", "trycut/O1001.box", "trycut/O1001.ttl",
                                    "trycut/O1001.bat"};

class NcRoadsTest : public NcFolderTest {
 protected:
  NcRoadsTest() {
    // The shipped program folder (data only), with a simulator configured.
    for (const auto& entry : fs::directory_iterator(DRILLING_PROGRAM_DIR)) {
      if (!entry.is_regular_file()) continue;
      std::string name = entry.path().filename().string();
      if (name == "Drilling.ini" || name == "MCTOOL.ini" || entry.path().extension() == ".CTL")
        fs::copy_file(entry.path(), folder / name, fs::copy_options::overwrite_existing);
    }
    fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "DB" / "SAMPLE-PLATE.ini", folder / "DB" / "SAMPLE-PLATE.ini");
    simulator = folder / "trycut2000";
    WriteText(simulator, "#!/bin/sh\n");
    std::string config = Bytes(folder / "Drilling.ini");
    std::string line = "[TRYCUT]\r\nFILE=";
    std::size_t at = config.find(line);
    if (at != std::string::npos) config.insert(at + line.size(), simulator.string());
    common::WriteFileAtomic(folder / "Drilling.ini", config);
  }

  std::vector<std::string> Outputs() const {
    std::vector<std::string> bytes;
    for (const char* name : kOutputs) bytes.push_back(Bytes(folder / name));
    return bytes;
  }
  void RemoveOutputs() const {
    for (const char* name : kOutputs) fs::remove(folder / name);
  }

  fs::path simulator;
};

TEST_F(NcRoadsTest, WindowAndCommandLineWriteTheSameFiles) {
  ASSERT_NE(Bytes(folder / "Drilling.ini").find(simulator.string()), std::string::npos);

  // The window: the job opened into the main form, then the command.
  ctx.currentJobPath = folder / "DB" / "SAMPLE-PLATE.ini";
  common::MemoryForm main(MainDialogTemplate(), MainWindowProc(ctx));
  ASSERT_EQ(ReadJobFile(ctx, main), 0);
  main.Send(common::DialogEvent::Command, kCmdCreateNcData);
  EXPECT_EQ(ErrorBoxCount(), 0) << LastErrorBox();
  ASSERT_EQ(launcher.started.size(), 1u);
  const std::vector<std::string> window = Outputs();
  for (std::size_t i = 0; i < window.size(); ++i) ASSERT_NE(window[i], "<missing>") << kOutputs[i];

  // The program is sound for the machine.
  ReadBack reading = ReadBackProgram(window[0]);
  for (const auto& p : reading.problems) ADD_FAILURE() << p;
  EXPECT_EQ(reading.program.programNumber, 1001);
  EXPECT_EQ(reading.program.holes.size(), 8u + 4 + 2 + 2 + 4 + 2 + 2 + 2);

  // The command line over the same program folder.
  RemoveOutputs();
  const fs::path drillnc = fs::path(DRILLING_PROGRAM_DIR) / "drillnc";
  if (!fs::exists(drillnc)) GTEST_SKIP() << "drillnc is not built";
  std::string command = "'" + drillnc.string() + "' --home '" + folder.string() +
                        "' nc SAMPLE-PLATE --no-sim > '" + (folder / "drillnc.out").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << Bytes(folder / "drillnc.out");
  EXPECT_EQ(Outputs(), window);
  // The NC file path is the last line printed.
  std::string out = Bytes(folder / "drillnc.out");
  std::string last = (folder / "ncdata" / "O1001.nc").string() + "\n";
  ASSERT_GE(out.size(), last.size());
  EXPECT_EQ(out.substr(out.size() - last.size()), last);
}

}  // namespace
}  // namespace drilling::testing
