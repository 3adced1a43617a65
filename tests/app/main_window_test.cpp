#include "Drilling/app/main_window.h"

#include <gtest/gtest.h>

#include "Drilling/app/startup.h"
#include "common/memory_form.h"
#include "support/app_fixture.h"

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

TEST_F(MainWindowTest, CreationStartsTheMessageWindowAndClosingStopsIt) {
  WriteConfig("[WorkType]\nWorkType0=S45C\n");
  common::MemoryForm main(MainDialogTemplate(), MainWindowProc(ctx));
  main.Init();
  main.SetText(kTitleEdit, "unsaved");
  main.Click(kCmdNcOutputSettings);  // does nothing
  main.Click(kCmdUserSettings);
  EXPECT_FALSE(main.HasEnded());
  main.Click(kCmdQuit);
  EXPECT_TRUE(main.HasEnded());
  EXPECT_EQ(main.Result(), 0);
  EXPECT_EQ(main.FullText(kTitleEdit), "");
  EXPECT_EQ(main.EntryCount(kMaterialCombo), 0) << "closing empties the lists too";
  EXPECT_TRUE(ui.questions.empty()) << "no confirmation";
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
