// Every window on small laptop screens: the main window, each dialog and
// Drillview open inside the screen's available area, and every control is in
// view or comes into view by scrolling. A screen's size and scale are fixed
// when the program starts, so each screen of the table runs this file's
// OnThisScreen test in a program of its own; run alone, OnThisScreen takes
// whatever screen the platform gives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/job/job_file.h"
#include "Drillview/open_file.h"
#include "Drillview/view_window.h"
#include "Drillview/viewer_frame.h"
#include "common/profile.h"
#include "common/qt/qt_form.h"
#include "e2e/scripted_qt_ui.h"
#include "support/app_fixture.h"
#include "support/run_program.h"

namespace fs = std::filesystem;
using namespace drilling;

namespace {

std::string Text(const QRect& r) {
  std::ostringstream s;
  s << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
  return s.str();
}

// The part of `w` its ancestors up to `window` leave in sight, in the
// window's coordinates.
QRect ShownPart(QWidget* w, QWidget* window) {
  QRect r(w->mapTo(window, QPoint()), w->size());
  for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
    r &= QRect(p->mapTo(window, QPoint()), p->size());
  return r & window->rect();
}

// With SCREEN_FIT_SHOTS naming a folder (a run on a real display, for a
// person to look at), the whole screen is taken into <folder>/<name>.png.
void Screenshot(const std::string& name) {
  const char* folder = std::getenv("SCREEN_FIT_SHOTS");
  if (!folder) return;
  QTest::qWait(300);
  const std::string command = "import -window root '" + std::string(folder) + "/" + name + ".png'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// Inside the available area, no minimum larger than it, every control
// (brought into view by `scrollTo`) wholly in sight, every menu command on
// the bar or behind its extension button.
void ExpectFits(QWidget* window, const QList<QWidget*>& controls, const std::function<void(QWidget*)>& scrollTo,
                const std::string& name) {
  QApplication::processEvents();
  Screenshot(name);
  const QRect area = window->screen()->availableGeometry();
  EXPECT_TRUE(area.contains(window->frameGeometry()))
      << name << ": " << Text(window->frameGeometry()) << " on " << Text(area);
  EXPECT_LE(window->minimumSize().width(), area.width()) << name;
  EXPECT_LE(window->minimumSize().height(), area.height()) << name;
  for (QWidget* c : controls) {
    if (!c->isVisibleTo(window)) continue;
    if (scrollTo) scrollTo(c);
    const QRect whole(c->mapTo(window, QPoint()), c->size());
    EXPECT_EQ(ShownPart(c, window), whole) << name << ": " << c->metaObject()->className() << " "
                                           << c->objectName().toStdString() << " at " << Text(whole) << " in "
                                           << Text(window->rect());
  }
  if (auto* bar = window->findChild<QMenuBar*>()) {
    auto* more = bar->findChild<QToolButton*>();
    const bool extension = more && more->isVisible();
    for (QAction* a : bar->actions()) {
      const bool onBar = bar->rect().contains(bar->actionGeometry(a)) && !bar->actionGeometry(a).isEmpty();
      EXPECT_TRUE(onBar || extension) << name << ": menu " << a->text().toStdString();
    }
  }
  if (scrollTo && !controls.isEmpty()) Screenshot(name + "-scrolled");  // at the last control
}

void ExpectFits(common::QtForm& form) {
  const QList<QWidget*> controls(form.Controls().begin(), form.Controls().end());
  ExpectFits(&form, controls, [&form](QWidget* w) { form.ScrollIntoView(w); }, form.Template().name);
}

class ScreenFit : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    testsupport::CopyProgramData(folder.Path());
    ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
    common::ForgetCachedProfiles();
    qtUi.yesAnswer = true;
    ctx.ui = &qtUi;
  }
  testsupport::ScriptedQtUi qtUi;
};

TEST_F(ScreenFit, OnThisScreen) {
  std::vector<std::string> opened;
  auto fits = [&opened](common::QtForm& d) {
    opened.push_back(d.Template().name);
    ExpectFits(d);
  };
  for (const char* name : {"INPUTWORKSIZEDLG", "MCTOOLLISTDIALOG", "NCPROCESSDIALOG", "DRILLINGINITDIALOG",
                           "PROGRAMINFODLG", "VERSIONBOX"}) {
    qtUi.scripts[name] = [fits](common::QtForm& d) {
      fits(d);
      d.End(0);
    };
  }
  // The calculators open beside the position rows they fill, never over them.
  QRect rows;
  auto calculator = [&](common::QtForm& d) {
    fits(d);
    EXPECT_FALSE(d.frameGeometry().intersects(rows))
        << d.Template().name << " " << Text(d.frameGeometry()) << " over the rows " << Text(rows);
    d.End(0);
  };
  qtUi.scripts["CALCIRCLECOORDINATEDLG"] = calculator;
  qtUi.scripts["COORDINATEMOVEDLG"] = calculator;
  qtUi.scripts["HOLEDEFINEDIALOG"] = [&](common::QtForm& d) {
    fits(d);
    rows = QRect();
    for (int r = 0; r < kHoleRows; ++r) {
      for (int id : {kHoleRow1Button + r, kHoleX1Edit + r, kHoleY1Edit + r}) {
        QWidget* w = d.Widget(id);
        QRect shown = ShownPart(w, &d);
        if (!shown.isEmpty()) rows |= QRect(d.mapToGlobal(shown.topLeft()), shown.size());
      }
    }
    d.TriggerCommand(kHoleCmdCircle);
    d.TriggerCommand(kHoleCmdMoveBase);
    d.End(0);
  };

  common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, qtUi.Style());
  main.Initialise();
  main.show();
  ExpectFits(main);
  ctx.currentJobPath = folder / "DB" / "SAMPLE-PLATE.ini";
  ASSERT_EQ(ReadJobFile(ctx, main), 0);
  const int commands[] = {kHoleGroupButton1, kCmdToolList,    kCmdProcesses, kCmdInitialSettings,
                          kCmdProgramInfo,   kCmdVersion, kCmdNew};
  for (int command : commands) main.TriggerCommand(command);
  EXPECT_EQ(opened, (std::vector<std::string>{"HOLEDEFINEDIALOG", "CALCIRCLECOORDINATEDLG", "COORDINATEMOVEDLG",
                                              "MCTOOLLISTDIALOG", "NCPROCESSDIALOG", "DRILLINGINITDIALOG",
                                              "PROGRAMINFODLG", "VERSIONBOX", "INPUTWORKSIZEDLG"}));

  drillview::Scene scene;
  std::string error;
  ASSERT_TRUE(drillview::OpenForView(fs::path(DRILLING_SOURCE_DIR) / "tests/ncout/golden/features.nc", folder.Path(),
                                     scene, error))
      << error;
  drillview::ViewerFrame viewer(std::move(scene), "features.nc", folder.Path());
  viewer.show();
  ExpectFits(&viewer, viewer.View()->findChildren<QWidget*>(), nullptr, "Drillview");
  main.close();
}

// The laptop screens of the shop floor, a large screen at 200 %, and a
// netbook where the main window and the process grid must scroll: each in a
// program of its own with the offscreen platform set to that screen, windows
// framed.
TEST(ScreenFitTable, EveryWindowFitsEveryScreen) {
  struct Screen {
    int width, height;
    const char* scale;
  };
  const Screen screens[] = {{1366, 768, "1.5"}, {1280, 720, "1.5"}, {1366, 768, "1"},
                            {1280, 720, "1"},   {1920, 1080, "2"},  {1024, 600, "1.5"}};
  testsupport::TempFolder work;
  for (const Screen& s : screens) {
    const std::string label = std::to_string(s.width) + "x" + std::to_string(s.height) + " x " + s.scale;
    const fs::path config = work / "screen.json";
    std::ofstream(config) << "{\"windowFrameMargins\": true, \"screens\": [{\"name\": \"laptop\", \"x\": 0, \"y\": 0, "
                          << "\"width\": " << s.width
                          << ", \"height\": " << s.height << ", \"logicalDpi\": 96}]}";
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      std::string v = *e;
      if (v.rfind("QT_QPA_PLATFORM=", 0) != 0 && v.rfind("QT_SCALE_FACTOR=", 0) != 0) env.push_back(v);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen:configfile=" + config.string());
    env.push_back(std::string("QT_SCALE_FACTOR=") + s.scale);
    const fs::path out = work / "out.txt";
    const int status = testsupport::RunProgram({fs::read_symlink("/proc/self/exe").string(),
                                                "--gtest_filter=ScreenFit.OnThisScreen"},
                                               {"", out, out}, env);
    std::ifstream in(out);
    std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(status, 0) << label << "\n" << log;
    EXPECT_NE(log.find("[  PASSED  ] 1 test"), std::string::npos) << label << "\n" << log;
  }
}

}  // namespace
