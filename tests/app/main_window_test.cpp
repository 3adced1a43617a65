#include "Drilling/app/main_window.h"

#include <gtest/gtest.h>

#include "Drilling/app/startup.h"
#include "common/memory_form.h"
#include "common/message_transport.h"
#include "support/app_fixture.h"

namespace fs = std::filesystem;
using namespace drilling;

class MainWindowTest : public testsupport::AppFixture {
 protected:
  void SetUp() override { ASSERT_EQ(StartUp(ctx, folder.Path()), 0); }
};

TEST_F(MainWindowTest, ListsFollowTheConfigurationAndThePresets) {
  WriteConfig(
      "[WorkType]\nWorkType0=s45c\nWorkType1=SS400\nWorkType3=skipped after the gap\n"
      "[Machine]\nMachine0=FANUC 0i-MF\nMachine1=OKUMA OSP-P300MA\n"
      "[CoordSystem]\nCoordSystem0=G54\nCoordSystem1=G55\n"
      "[UserStartup]\nWorkType=SS400\nMachine=HEIDENHAIN\nCoordSystem=g55\n");
  std::FILE* trace = std::tmpfile();
  ctx.traceOut = trace;
  common::MemoryForm main(MainDialogTemplate());
  FillMainLists(ctx, main);
  ASSERT_EQ(main.EntryCount(kMaterialCombo), 2);
  EXPECT_EQ(main.EntryText(kMaterialCombo, 0), "S45C") << "the lists convert to upper case";
  EXPECT_EQ(main.EntryCount(kControllerCombo), 2);
  EXPECT_EQ(main.Selected(kMaterialCombo), 1);
  EXPECT_EQ(main.Text(kMaterialCombo, 16), "SS400");
  EXPECT_EQ(main.Selected(kControllerCombo), -1) << "a preset the list does not hold clears the selection";
  EXPECT_EQ(main.Selected(kCoordSystemCombo), 1);
  std::rewind(trace);
  char buf[256] = {};
  std::string text(buf, std::fread(buf, 1, sizeof buf - 1, trace));
  std::fclose(trace);
  EXPECT_EQ(text, "WorkType = SS400 [1]\nMachine = HEIDENHAIN [-1]\nCoordSystem = g55 [1]\n");
}

TEST_F(MainWindowTest, WithoutListSectionsTheListsStayEmptyButAcceptText) {
  common::MemoryForm main(MainDialogTemplate(), MainWindowProc(ctx));
  main.Init();
  EXPECT_EQ(main.EntryCount(kMaterialCombo), 0);
  main.SetText(kMaterialCombo, "a5052");
  EXPECT_EQ(main.Text(kMaterialCombo, 16), "A5052");
}

TEST_F(MainWindowTest, ProgramNumberComesFromTheClock) {
  common::MemoryForm main(MainDialogTemplate(), MainWindowProc(ctx));
  clock.time.hour = 14;
  clock.time.minute = 7;
  main.Click(kProgramNumberButton);
  EXPECT_EQ(main.FullText(kProgramNumberEdit), "1407");
  clock.time.hour = 9;
  clock.time.minute = 5;
  main.Click(kProgramNumberButton);
  EXPECT_EQ(main.FullText(kProgramNumberEdit), "0905");
}

// A message window that is there only once the program has been started,
// and that records what the main window asks of it.
class RecordingWindow : public common::MessageTransport {
 public:
  explicit RecordingWindow(const common::RecordingLauncher& launcher) : launcher_(launcher) {}
  bool Find(const std::string&, const std::string&) override { return !launcher_.started.empty() && !closed; }
  bool AddLine(const std::string&, const std::string&, const std::string& line) override {
    lines.push_back(line);
    return true;
  }
  void PostClose(const std::string&, const std::string&) override {
    closed = true;
    if (onClose) onClose();
  }
  void Restore(const std::string&, const std::string&) override {}

  std::vector<std::string> lines;
  bool closed = false;
  std::function<void()> onClose;

 private:
  const common::RecordingLauncher& launcher_;
};

TEST_F(MainWindowTest, CreationStartsTheMessageWindowAndClosingStopsIt) {
  WriteConfig("[WorkType]\nWorkType0=S45C\n[WINDOW]\nX=1\nY=1\n");
  ui.screen.desktop = {0, 0, 1000, 800};
  ui.screen.taskbarHeight = 40;
  RecordingWindow window(launcher);
  ctx.transport = &window;
  common::MemoryForm main(MainDialogTemplate(), MainWindowProc(ctx));
  main.SetFrame({0, 0, 400, 300});
  main.Init();
  // Placed, the message window started once, the banner in it, the lists filled.
  EXPECT_EQ((common::Point{main.Frame().left, main.Frame().top}), (common::Point{600, 460}));
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(fs::path(launcher.started[0].program).parent_path(), folder.Path());
  EXPECT_EQ(fs::path(launcher.started[0].program).stem(), "Relaypane");
  EXPECT_FALSE(window.lines.empty()) << "the start-up banner";
  EXPECT_EQ(main.EntryCount(kMaterialCombo), 1);

  main.SetText(kTitleEdit, "unsaved");
  main.Click(kCmdNcOutputSettings);  // does nothing
  main.Click(kCmdUserSettings);
  EXPECT_FALSE(main.HasEnded());
  // The message window is asked to close before the form is emptied.
  std::string titleAtClose;
  window.onClose = [&] { titleAtClose = main.FullText(kTitleEdit); };
  main.Click(kCmdQuit);
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(titleAtClose, "unsaved");
  EXPECT_TRUE(main.HasEnded());
  EXPECT_EQ(main.Result(), 0);
  EXPECT_EQ(main.FullText(kTitleEdit), "");
  EXPECT_EQ(main.EntryCount(kMaterialCombo), 0) << "closing empties the lists too";
  EXPECT_TRUE(ui.questions.empty()) << "no confirmation";
  EXPECT_EQ(launcher.started.size(), 1u);
}

TEST_F(MainWindowTest, TemplateHoldsEveryControlAndCommand) {
  const auto& t = MainDialogTemplate();
  EXPECT_EQ(t.caption, "穴明けＮＣ加工システム");
  EXPECT_EQ(t.menuName, "MAINPROGMENU");
  for (int id : {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1010, 1011, 1012, 1013, 1021, 1022, 1023, 1024, 1031,
                 1032, 1033, 1034})
    EXPECT_NE(t.Find(id), nullptr) << id;
  std::vector<int> ids;
  std::function<void(const std::vector<common::MenuItem>&)> walk = [&](const std::vector<common::MenuItem>& items) {
    for (const auto& i : items) {
      if (i.id) ids.push_back(i.id);
      walk(i.items);
    }
  };
  walk(t.menu);
  for (int id : {40000, 40001, 40002, 40003, 40009, 40010, 40011, 40012, 40013, 40020, 40021, 40022, 40030, 40031,
                 40032, 40060, 40061, 40062, 40064})
    EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
  EXPECT_EQ(t.menu.back().text, "【終了】");
}
