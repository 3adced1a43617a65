// The message window itself, in this process (offscreen): list, keys, menu,
// placement, closing and its log.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>

#include <unistd.h>

#include <filesystem>

#include "Relaypane/message_list.h"
#include "Relaypane/message_window.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/qt/qt_ui.h"
#include "common/sjis.h"
#include "common/textfile.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace relaypane;

class MessageWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("RELAYPANE_UNATTENDED", "1", 1);
    folder_ = tmp_.Path();
    WriteIni("");
  }
  void WriteIni(const std::string& extra) {
    common::WriteFileAtomic(folder_ / "Relaypane.ini",
                            common::ToCp932CrLf("[Relaypane]\nClassName=WindowTest\nWindowName=試験の窓\n"
                                                "LogWrite=1\n" +
                                                extra));
  }
  Settings Read() { return ReadSettings(folder_); }
  // The entries of every block in the log, and the number of blocks.
  std::vector<std::string> LogEntries(int* blocks) {
    std::vector<std::string> entries;
    *blocks = 0;
    std::error_code ec;
    for (const auto& f : fs::directory_iterator(folder_ / "Log", ec)) {
      std::string bytes;
      common::ReadFileBytes(f.path(), bytes);
      std::string text = common::Cp932ToUtf8(bytes);
      std::size_t start = 0;
      int header = 0;
      for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
        std::string line = text.substr(start, at - start);
        if (line == std::string(59, '#')) {
          if (++header % 2 == 1) ++*blocks;
          continue;
        }
        if (header % 2 == 1) continue;  // the time line
        entries.push_back(line);
      }
    }
    return entries;
  }
  static void Press(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
  }
  testsupport::TempFolder tmp_;
  fs::path folder_;
};

TEST_F(MessageWindowTest, ListFillsTheWindowWithItsFontAndKeepsTheNewestSelected) {
  MessageWindow window(Read());
  EXPECT_EQ(window.windowTitle().toStdString(), "試験の窓");
  EXPECT_EQ(window.size(), QSize(800, 200));
  MessageList* list = window.List();
  EXPECT_EQ(window.centralWidget(), list);
  EXPECT_EQ(list->objectName(), "1000");
  EXPECT_EQ(list->font().pixelSize(), 16);
  EXPECT_TRUE(list->font().fixedPitch());
  EXPECT_EQ(list->font().weight(), QFont::Normal);
  EXPECT_FALSE(window.windowIcon().isNull());

  for (int i = 0; i < 500; ++i) window.AddLine("line " + std::to_string(i));
  EXPECT_EQ(list->Count(), 500);
  EXPECT_EQ(list->Selected(), 499);
  EXPECT_EQ(list->Entries()[123], "line 123");
  list->Refresh();  // the view caught up while the window was not shown
  window.show();
  // The newest entry is in view at the bottom, and the view is full.
  int rows = list->viewport()->height() / list->fontMetrics().height();
  ASSERT_GT(rows, 3);
  EXPECT_EQ(list->TopIndex(), 500 - rows);
  window.AddLine("one more");
  EXPECT_EQ(list->TopIndex(), 501 - rows);
  window.close();
}

TEST_F(MessageWindowTest, MenuHasItsThreeCommandsOnTheBar) {
  MessageWindow window(Read());
  QList<QAction*> actions = window.menuBar()->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->text(), "Exit (&X)");
  EXPECT_EQ(actions[0]->data().toInt(), kCmdExit);
  EXPECT_EQ(actions[1]->text(), "Version (&V)");
  EXPECT_EQ(actions[1]->data().toInt(), kCmdVersion);
  EXPECT_EQ(actions[2]->text(), "Information (&I)");
  EXPECT_EQ(actions[2]->data().toInt(), kCmdInformation);
  for (QAction* a : actions) EXPECT_EQ(a->menu(), nullptr);
  window.close();
}

TEST_F(MessageWindowTest, DeleteMenuAndCloseBoxEachWriteTheLogOnce) {
  int blocks = 0;
  {
    MessageWindow window(Read());
    window.show();
    window.AddLine("by delete");
    int closed = 0;
    window.onClosed = [&closed] { ++closed; };
    Press(window.List(), Qt::Key_Delete);  // the list passes it to the window
    EXPECT_FALSE(window.isVisible());
    window.close();  // a second close writes nothing more
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(window.LogWrites(), 1);
  }
  {
    MessageWindow window(Read());
    window.show();
    window.AddLine("by menu");
    window.menuBar()->actions()[0]->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.LogWrites(), 1);
  }
  {
    MessageWindow window(Read());
    window.show();
    window.AddLine("by close box");
    window.close();
    EXPECT_EQ(window.LogWrites(), 1);
  }
  EXPECT_EQ(LogEntries(&blocks), (std::vector<std::string>{"by delete", "by menu", "by close box"}));
  EXPECT_EQ(blocks, 3);
}

TEST_F(MessageWindowTest, FunctionKeysMinimiseMaximiseAndRestore) {
  MessageWindow window(Read());
  window.show();
  Press(window.List(), Qt::Key_F1);
  EXPECT_TRUE(window.isMinimized());
  Press(&window, Qt::Key_F3);
  EXPECT_FALSE(window.isMinimized());
  Press(&window, Qt::Key_F2);
  EXPECT_TRUE(window.isMaximized());
  Press(&window, Qt::Key_F3);
  EXPECT_FALSE(window.isMaximized());
  Press(&window, Qt::Key_A);  // other keys do nothing
  EXPECT_TRUE(window.isVisible());
  window.showMinimized();
  window.Restore();
  EXPECT_FALSE(window.isMinimized());
  window.close();
}

TEST_F(MessageWindowTest, PlacedByFractionsOfTheFreeScreenClampedToZeroAndOne) {
  common::ScreenInfo screen = common::QtUi().Screen();
  WriteIni("[WINDOW]\nWINX=1.5\nWINY=-2\n");
  {
    MessageWindow window(Read());
    EXPECT_EQ(window.pos(), QPoint(screen.desktop.right - 800, 0));
  }
  WriteIni("[WINDOW]\nWINX=0.25\nWINY=0.5\n");
  {
    MessageWindow window(Read());
    EXPECT_EQ(window.pos(), QPoint(static_cast<int>((screen.desktop.right - 800) * 0.25),
                                   static_cast<int>((screen.desktop.bottom - 200 - screen.taskbarHeight) * 0.5)));
  }
}

// Where the configured place would put it under the main window, the window
// opens beside it, inside the screen. Where the operator leaves it is
// remembered: the next start opens there.
TEST_F(MessageWindowTest, OpensBesideTheMainWindowAndRemembersWhereItWasLeft) {
  const common::Rect area = common::QtUi().Screen().available;
  const QRect screen(area.left, area.top, area.Width(), area.Height());
  const common::Rect main{area.left, area.top, area.right, area.top + area.Height() / 2};
  const QRect mainRect(main.left, main.top, main.Width(), main.Height());
  WriteIni("[WINDOW]\nWINX=1\nWINY=0\n");
  QPoint left;
  {
    MessageWindow window(Read(), main);
    EXPECT_FALSE(window.frameGeometry().intersects(mainRect));
    EXPECT_TRUE(screen.contains(window.frameGeometry()));
    window.close();
    EXPECT_EQ(common::ReadProfileText("WINDOW", "WINX", "", 16, folder_ / "Relaypane.ini"), "1")
        << "not moved: nothing written";
    left = window.pos() + QPoint(0, 30);
  }
  {
    MessageWindow again(Read(), main);
    again.move(left);
    again.close();
  }
  {
    MessageWindow third(Read(), main);
    EXPECT_EQ(third.pos(), left);
  }
  // Without a main window to keep clear the configured place stands.
  WriteIni("[WINDOW]\nWINX=0\nWINY=0\n");
  MessageWindow alone(Read());
  EXPECT_EQ(alone.pos(), screen.topLeft());
}

TEST_F(MessageWindowTest, InformationColoursKeepWhatAKeyDoesNotGive) {
  WriteIni("[COLOR]\nINFOWIN=255,0\nINFOTXT=1,2,3\n");
  InfoColours colours;
  EXPECT_EQ(ShowInformationWindow(nullptr, Read(), colours), kInfoResult);
  EXPECT_EQ(colours.background, (common::Rgb{255, 0, 210}));
  EXPECT_EQ(colours.text, (common::Rgb{1, 2, 3}));
  WriteIni("[COLOR]\nINFOWIN=,,7\n");
  common::ForgetCachedProfiles();
  ShowInformationWindow(nullptr, Read(), colours);
  EXPECT_EQ(colours.background, (common::Rgb{0, 0, 7}));
  EXPECT_EQ(colours.text, (common::Rgb{1, 2, 3}));
}

}  // namespace
