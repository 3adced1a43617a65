// 【工程作成】 on the real main window (Qt host, offscreen): the process
// dialog is built on the screen, generated from the sample job's hole
// groups, saved; then 【ＮＣデータ作成】. The NC program must be the one the
// command line writes with `drillnc plan` and `drillnc nc`.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <cstdlib>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "Drilling/planning/process_dialog.h"
#include "Drilling/planning/process_grid.h"
#include "common/profile.h"
#include "common/qt/qt_form.h"
#include "common/qt/qt_ui.h"
#include "e2e/scripted_qt_ui.h"
#include "support/app_fixture.h"

namespace fs = std::filesystem;
using namespace drilling;

namespace {

class ProcessRoadTest : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    testsupport::CopyProgramData(folder.Path());
    // The sample's processes are gone: only the window can bring them back.
    for (int n = 1; n <= 15; ++n)
      common::WriteProfileText(ProcessSection(n), std::nullopt, std::nullopt, folder / "DB" / "SAMPLE-PLATE.ini");
    ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
    common::ForgetCachedProfiles();
    qtUi.yesAnswer = true;
    ctx.ui = &qtUi;
  }
  testsupport::ScriptedQtUi qtUi;
};

TEST_F(ProcessRoadTest, CreateProcessesSaveAndWriteTheNcProgramAsTheCommandLineDoes) {
  fs::path job = folder / "DB" / "SAMPLE-PLATE.ini";
  int rowsShown = 0;
  qtUi.scripts["NCPROCESSDIALOG"] = [&](common::QtForm& d) {
    auto* name = qobject_cast<QComboBox*>(d.Widget(ProcessCellId(kColToolName, 6)));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->currentText(), "タップ（並目）");
    auto* z = qobject_cast<QLineEdit*>(d.Widget(ProcessCellId(kColZ, 6)));
    ASSERT_NE(z, nullptr);
    EXPECT_TRUE(z->alignment() & Qt::AlignRight);
    for (int row = 1; row <= kProcessRows; ++row) rowsShown += !d.Text(ProcessCellId(kColToolName, row), 32).empty();
    d.TriggerCommand(kCmdProcessSave);
    EXPECT_TRUE(d.HasEnded());
  };
  {
    common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, qtUi.Style());
    main.Initialise();
    main.show();
    ctx.currentJobPath = job;
    ASSERT_EQ(ReadJobFile(ctx, main), 0);
    main.TriggerCommand(kCmdCreateProcesses);
    EXPECT_EQ(rowsShown, 8);
    main.TriggerCommand(kCmdCreateNcData);
    EXPECT_TRUE(qtUi.boxes.empty()) << qtUi.boxes.front();
    main.TriggerCommand(kCmdQuit);
  }
  const std::string windowJob = testsupport::ReadBytes(job);
  const std::string windowNc = testsupport::ReadBytes(folder / "ncdata" / "O1001.nc");
  ASSERT_FALSE(windowNc.empty());

  // The command line on a second copy.
  const fs::path drillnc = fs::path(DRILLING_PROGRAM_DIR) / "drillnc";
  if (!fs::exists(drillnc)) GTEST_SKIP() << "drillnc is not built";
  testsupport::TempFolder other;
  testsupport::CopyProgramData(other.Path());
  // As in the window's copy: plan would not replace a saved list without --yes.
  for (int n = 1; n <= 15; ++n)
    common::WriteProfileText(ProcessSection(n), std::nullopt, std::nullopt, other / "DB" / "SAMPLE-PLATE.ini");
  std::string home = other.Path().string();
  std::string run = "'" + drillnc.string() + "' --home '" + home + "' plan SAMPLE-PLATE > /dev/null && '" +
                    drillnc.string() + "' --home '" + home + "' nc SAMPLE-PLATE --no-sim > /dev/null";
  ASSERT_EQ(std::system(run.c_str()), 0);
  EXPECT_EQ(testsupport::ReadBytes(other / "ncdata" / "O1001.nc"), windowNc);
  EXPECT_EQ(testsupport::ReadBytes(other / "DB" / "SAMPLE-PLATE.ini"), windowJob)
      << "the window saves the processes the command line plans";
}

}  // namespace
