// Settings, command line and texts of the message window program.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "Drilling/app/context.h"
#include "Drilling/app/message_channel.h"
#include "Relaypane/relaypane_info.h"
#include "common/sjis.h"
#include "common/textfile.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace relaypane;

class RelaypaneInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = tmp_.Path();
  }
  void WriteIni(const std::string& utf8) {
    common::WriteFileAtomic(folder_ / "Relaypane.ini", common::ToCp932CrLf(utf8));
  }
  testsupport::TempFolder tmp_;
  fs::path folder_;
};

TEST_F(RelaypaneInfo, NamesFallBackToTheirDefaultsWhenAbsentOrEmpty) {
  Settings s = ReadSettings(folder_);
  EXPECT_EQ(s.className, "MessageWindow");
  EXPECT_EQ(s.windowName, "Application Receive Message");
  EXPECT_TRUE(s.iconPath.empty());
  EXPECT_EQ(s.configPath, folder_ / "Relaypane.ini");

  WriteIni("[Relaypane]\nClassName=\nWindowName=\n");
  s = ReadSettings(folder_);
  EXPECT_EQ(s.className, "MessageWindow");
  EXPECT_EQ(s.windowName, "Application Receive Message");

  // 31 and 63 characters at most; the icon's backslash separates folders.
  WriteIni("[relaypane]\nclassname=" + std::string(40, 'C') + "\nWINDOWNAME=" + std::string(30, 'W') +
           "穴明け加工メッセージ" + std::string(20, 'w') + "\nicon=res\\app.ico\n");
  s = ReadSettings(folder_);
  EXPECT_EQ(s.className, std::string(31, 'C'));
  EXPECT_EQ(s.windowName, std::string(30, 'W') + "穴明け加工メッセージ" + std::string(13, 'w'));
  EXPECT_EQ(s.iconPath, folder_ / "res" / "app.ico");
}

// The drilling program finds the message window by the names Relaypane
// registers under: both read the same keys with the same room, also where a
// long value is cut (in the middle of a double-byte character too).
TEST_F(RelaypaneInfo, TheDrillingProgramLooksForTheNamesRelaypaneRegisters) {
  const std::string cases[] = {
      "[Relaypane]\nClassName=MyClass\nWindowName=Messages\n",
      "[relaypane]\nclassname=" + std::string(40, 'C') + "\nWINDOWNAME=" + std::string(30, 'W') +
          "穴明け加工メッセージ" + std::string(20, 'w') + "\n",
      "[Relaypane]\nClassName=" + std::string(30, 'c') + "穴\nWindowName=" + std::string(62, 'w') + "穴\n",
  };
  for (const std::string& ini : cases) {
    WriteIni(ini);
    Settings s = ReadSettings(folder_);
    drilling::Context ctx;
    drilling::SetProgramFolder(ctx, folder_);
    drilling::ReadMessageWindowIdentity(ctx);
    EXPECT_EQ(ctx.messageWindowClass, s.className) << ini;
    EXPECT_EQ(ctx.messageWindowName, s.windowName) << ini;
  }
}

TEST(RelaypaneCommandLine, OnlyASingleVersionArgumentCounts) {
  EXPECT_TRUE(IsVersionRequest({"ver"}));
  EXPECT_TRUE(IsVersionRequest({"VER"}));
  EXPECT_TRUE(IsVersionRequest({"/v"}));
  EXPECT_TRUE(IsVersionRequest({"/V"}));
  EXPECT_FALSE(IsVersionRequest({}));
  EXPECT_FALSE(IsVersionRequest({"-v"}));
  EXPECT_FALSE(IsVersionRequest({"version"}));
  EXPECT_FALSE(IsVersionRequest({"/v", "x"}));
}

TEST(RelaypaneTexts, VersionBoxAndInformationTitle) {
  EXPECT_EQ(AboutApplicationText("Application Receive Message", "Relaypane"),
            "Application Receive Message#Relaypane Release Version 0.12 [Build Date 2019/7/21]");
  EXPECT_EQ(kBuildNumber, 2740);
  EXPECT_EQ(InfoWindowTitle("/opt/drill/Relaypane"), "Relaypane - Program Information");
  EXPECT_EQ(InfoWindowTitle("C:/drill/Relaypane.exe"), "Relaypane.exe - Program Information");
}

TEST_F(RelaypaneInfo, InformationTextWithTitleAndBuildDateFallback) {
  Settings s = ReadSettings(folder_);
  // No title: the default; an unreadable executable: the build date at 00:00:00.
  std::string text = BuildInfoText(s, folder_ / "no-such-program");
  EXPECT_EQ(text, std::string("Veltrane\n") + kMakerAddress +
                      "\nメッセージウィンドウ\nRelaypane\nRelease Version 0.12.2740\n作成日時 2019/07/21 "
                      "00:00:00\nフォルダ " +
                      folder_.string() + "/");

  WriteIni("[Relaypane]\ntitle=穴明け加工メッセージ\n");
  common::WriteFileAtomic(folder_ / "prog", "x");
  fs::last_write_time(folder_ / "prog", fs::file_time_type::clock::now());
  text = BuildInfoText(s, folder_ / "prog");
  EXPECT_NE(text.find("\n穴明け加工メッセージ\n"), std::string::npos);
  EXPECT_EQ(text.find("00:00:00"), std::string::npos);
  EXPECT_NE(text.find("作成日時 20"), std::string::npos);
}

TEST_F(RelaypaneInfo, InformationTextNeverExceedsItsBuffer) {
  fs::path deep = folder_;
  for (int i = 0; i < 12; ++i) deep /= std::string(90, static_cast<char>('a' + i));
  fs::create_directories(deep);
  Settings s = ReadSettings(deep);
  std::string text = BuildInfoText(s, deep / "none");
  EXPECT_LE(common::Utf8ToCp932(text).size(), 1023u);
  EXPECT_EQ(text.rfind("Veltrane\n", 0), 0u);
}

}  // namespace
