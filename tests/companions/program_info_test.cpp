// The start-up banner, version box, program information dialog and help file
// of the drilling program, over a recording channel and a scripted Ui.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <unistd.h>

#include <filesystem>
#include <regex>

#include "Drilling/app/commands.h"
#include "Drilling/app/context.h"
#include "Drilling/app/main_window.h"
#include "Drilling/companions/program_info.h"
#include "common/memory_form.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/qt/qt_ui.h"
#include "common/sjis.h"
#include "common/textfile.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using drilling::Context;

class ProgramInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = tmp_.Path();
    drilling::SetProgramFolder(ctx_, folder_);
    ctx_.rightsNotice = "Copyright (C) 2021 試験.";
    ctx_.transport = &transport_;
    ctx_.clock = &clock_;
    ctx_.ui = &ui_;
    ctx_.launcher = &launcher_;
    ctx_.messageWindowClass = "DrillingMessage";
    ctx_.messageWindowName = "穴明け加工メッセージ";
  }
  void WriteConfig(const std::string& utf8) {
    common::WriteFileAtomic(ctx_.configPath, common::ToCp932CrLf(utf8));
  }

  testsupport::TempFolder tmp_;
  fs::path folder_;
  Context ctx_;
  std::vector<std::string> lines_;
  common::CallbackTransport transport_{[this](const std::string& line) { lines_.push_back(line); }};
  common::FixedClock clock_{{2021, 5, 9, 8, 4, 30}};
  common::ScriptedUi ui_;
  common::RecordingLauncher launcher_;
  common::MemoryForm main_{drilling::MainDialogTemplate()};
};

const std::string kRule(69, '-');

TEST_F(ProgramInfo, BannerHasItsTenLinesInTheListOnly) {
  drilling::ShowProgramBanner(ctx_, main_);
  ASSERT_EQ(lines_.size(), 10u);
  EXPECT_EQ(lines_[0], kRule);
  EXPECT_EQ(lines_[1], "二次元ＣＡＤ／ＣＡＭ");
  // The name is padded to 35 bytes of code page 932.
  EXPECT_EQ(lines_[2], "穴明けＮＣ加工システム" + std::string(13, ' ') + " Release Version 2021R0.06.2530");
  EXPECT_EQ(lines_[3], ctx_.rightsNotice);
  EXPECT_EQ(lines_[4], kRule);
  EXPECT_EQ(lines_[5], "今日日時：2021年 5月 9日 8時 4分");
  EXPECT_EQ(lines_[6], "ホスト名：" + common::HostName());
  EXPECT_TRUE(std::regex_match(lines_[7], std::regex("アドレス：[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+"))) << lines_[7];
  EXPECT_EQ(lines_[8], "ユーザー：" + common::UserName());
  EXPECT_EQ(lines_[9], kRule);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(ctx_.messageBuffer.empty());

  // Another day: only the date line changes.
  std::vector<std::string> first = lines_;
  lines_.clear();
  clock_.time = {2022, 12, 31, 23, 59, 0};
  drilling::ShowProgramBanner(ctx_, main_);
  ASSERT_EQ(lines_.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) {
    if (i == 5) {
      EXPECT_EQ(lines_[i], "今日日時：2022年 12月 31日 23時 59分");
    } else {
      EXPECT_EQ(lines_[i], first[i]);
    }
  }
}

TEST_F(ProgramInfo, VersionBoxShowsTheApplicationTextAndRightsNotice) {
  EXPECT_EQ(drilling::FullVersionText(), "2021R0.06.2530");
  EXPECT_EQ(drilling::ShortVersionText(), "2021R0.06");
  std::string caption, first, extra;
  int icon = 0;
  ui_.modalHandlers["VERSIONBOX"] = [&](common::Form& form) {
    caption = form.Template().caption;
    icon = form.Template().iconId;
    first = form.Text(drilling::kAboutApplicationLabel, 256);
    extra = form.Text(drilling::kAboutExtraLabel, 256);
    static_cast<common::MemoryForm&>(form).Click(drilling::kAboutOk);
  };
  EXPECT_EQ(drilling::ShowVersionBox(ctx_, main_, "穴明けNC加工システム"), 0);
  EXPECT_EQ(ui_.modalsRun, std::vector<std::string>{"VERSIONBOX"});
  EXPECT_EQ(caption, "穴明けNC加工システム／Veltrane");
  EXPECT_EQ(first, "Drilling Version 2021R0.06 [Build Date 2021/5/9]");
  EXPECT_EQ(extra, ctx_.rightsNotice);
  EXPECT_EQ(icon, 101);
}

TEST_F(ProgramInfo, InformationDialogTextTitleAndEnds) {
  const common::DialogTemplate& tpl = drilling::ProgramInfoTemplate();
  EXPECT_EQ(tpl.name, "PROGRAMINFODLG");
  EXPECT_EQ(tpl.caption, "プログラム情報 【 Close With any Key 】");
  EXPECT_EQ(tpl.menuName, "INFOMENU");
  ASSERT_EQ(tpl.menu.size(), 1u);
  EXPECT_EQ(tpl.menu[0].text, "閉じる");
  EXPECT_EQ(tpl.menu[0].id, drilling::kCmdInfoClose);
  EXPECT_EQ(tpl.iconId, 102);

  // An unreadable program file: the build date at 00:00:00.
  EXPECT_EQ(drilling::ProgramInfoText(ctx_, folder_ / "missing"),
            "   Developer : Veltrane\n    Software : Drilling\n     Version : 2021R0.06.2530\n"
            "  Build Date : 2021/05/09 00:00:00\n   Copyright : Copyright (C) 2021 試験.\n"
            "     Release : " +
                std::string(drilling::kMakerAddress) + "\n");

  std::string shown;
  ui_.modalHandlers["PROGRAMINFODLG"] = [&](common::Form& form) {
    shown = static_cast<common::MemoryForm&>(form).FullText(drilling::kInfoTextLabel);
    static_cast<common::MemoryForm&>(form).Send(common::DialogEvent::Command, drilling::kCmdInfoClose);
  };
  EXPECT_EQ(drilling::ShowProgramInfo(ctx_, main_), drilling::kInfoDialogResult);
  EXPECT_EQ(shown, drilling::ProgramInfoText(ctx_, {}));
  EXPECT_EQ(shown.find("00:00:00"), std::string::npos);  // this program's own file is readable
  // Closed without the menu: the same result.
  ui_.modalHandlers.clear();
  EXPECT_EQ(drilling::ShowProgramInfo(ctx_, main_), drilling::kInfoDialogResult);
}

TEST_F(ProgramInfo, InformationDialogOnScreenClosesOnAnyKey) {
  common::QtUi ui;
  ctx_.ui = &ui;
  bool pressed = false;
  QTimer::singleShot(50, [&pressed] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q");
      QApplication::sendEvent(dialog, &key);
      pressed = true;
    }
  });
  // A safety net should the key not end it.
  bool rescued = false;
  QTimer safety;
  safety.setSingleShot(true);
  QObject::connect(&safety, &QTimer::timeout, [&rescued] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      rescued = true;
      dialog->close();
    }
  });
  safety.start(3000);
  EXPECT_EQ(drilling::ShowProgramInfo(ctx_, main_), drilling::kInfoDialogResult);
  EXPECT_TRUE(pressed);
  EXPECT_FALSE(rescued);
}

TEST_F(ProgramInfo, HelpFileFailuresAndTheStart) {
  // No key.
  WriteConfig("[Drilling]\nDebugWindow=0\n");
  EXPECT_EQ(drilling::OpenHelpFile(ctx_, main_), -1);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, "エラー：ヘルプファイルが設定されてません。");
  EXPECT_EQ(ui_.boxes[0].icon, common::BoxIcon::Error);
  EXPECT_TRUE(launcher_.started.empty());

  // Configured but missing (the Windows separator is a separator here too).
  common::ForgetCachedProfiles();
  WriteConfig("[Drilling]\nHelpFile=help\\Drilling.html\n");
  fs::path help = folder_ / "help" / "Drilling.html";
  EXPECT_EQ(drilling::OpenHelpFile(ctx_, main_), -1);
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].text, "ヘルプファイル " + help.string() + " がありません。");
  EXPECT_TRUE(launcher_.started.empty());

  // Present: its viewer gets the path as one argument (the folder has a blank).
  fs::create_directories(help.parent_path());
  common::WriteFileAtomic(help, "<html></html>");
  EXPECT_EQ(drilling::OpenHelpFile(ctx_, main_), 0);
  ASSERT_EQ(launcher_.started.size(), 1u);
  EXPECT_EQ(launcher_.started[0].program, "xdg-open");
  EXPECT_EQ(launcher_.started[0].arguments, std::vector<std::string>{help.string()});
  EXPECT_EQ(ui_.boxes.size(), 2u);

  // The viewer cannot be started.
  launcher_.startResult = false;
  EXPECT_EQ(drilling::OpenHelpFile(ctx_, main_), -1);
  ASSERT_EQ(ui_.boxes.size(), 3u);
  EXPECT_EQ(ui_.boxes[2].text, "エラー：ヘルプファイルが開けません");
  // Every failure also went to the list.
  EXPECT_EQ(lines_.size(), 3u);
}

}  // namespace
