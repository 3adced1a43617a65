// The daily log writer, on a temporary program folder with a fixed clock.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Relaypane/message_log.h"
#include "common/sjis.h"
#include "common/textfile.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using relaypane::LogSetup;
using relaypane::WriteMessageLog;

class MessageLog : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = tmp_.Path();
    SetLogWrite("1");
    setup_.programFolder = folder_;
    setup_.configPath = folder_ / "Relaypane.ini";
    setup_.computerName = "SHOPPC01";
    setup_.clock = &clock_;
    setup_.failureBox = [this](const std::string& text) { boxes_.push_back(text); };
  }

  void SetLogWrite(const std::string& value) {
    std::string ini = "[Relaypane]\r\nClassName=X\r\n";
    if (!value.empty()) ini += "LogWrite=" + value + "\r\n";
    common::WriteFileAtomic(folder_ / "Relaypane.ini", ini);
  }
  std::string Read(const fs::path& p) {
    std::string bytes;
    common::ReadFileBytes(p, bytes);
    return bytes;
  }

  testsupport::TempFolder tmp_;
  fs::path folder_;
  common::FixedClock clock_{{2021, 5, 9, 14, 3, 7}};
  LogSetup setup_;
  std::vector<std::string> boxes_;
};

const std::string kRule(59, '#');

TEST_F(MessageLog, BlockIsWrittenExactlyInCodePage932WithCrLf) {
  std::vector<std::string> entries = {"穴明けＮＣ加工システム", "", "エラー：テスト 12.5"};
  ASSERT_EQ(WriteMessageLog(setup_, entries), 0);
  fs::path file = folder_ / "Log" / "SHOPPC0120210509.log";
  std::string expected = kRule + "\r\n" + std::string(20, ' ') + "2021-05-09 14:03:07\r\n" + kRule + "\r\n" +
                         common::Utf8ToCp932("穴明けＮＣ加工システム") + "\r\n\r\n" +
                         common::Utf8ToCp932("エラー：テスト 12.5") + "\r\n";
  EXPECT_EQ(Read(file), expected);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MessageLog, SwitchedOffOrEmptyListCreatesNothing) {
  for (std::string value : {"2", "0", "", "x"}) {
    SetLogWrite(value);
    EXPECT_EQ(WriteMessageLog(setup_, {"a line"}), 0) << value;
    EXPECT_FALSE(fs::exists(folder_ / "Log")) << value;
  }
  SetLogWrite("1");
  EXPECT_EQ(WriteMessageLog(setup_, {}), 0);
  EXPECT_FALSE(fs::exists(folder_ / "Log"));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MessageLog, ClosesAppendBlocksAndAClosePastMidnightStartsTheNextDay) {
  ASSERT_EQ(WriteMessageLog(setup_, {"first"}), 0);
  clock_.time = {2021, 5, 9, 23, 59, 59};
  ASSERT_EQ(WriteMessageLog(setup_, {"second"}), 0);
  clock_.time = {2021, 5, 10, 0, 0, 1};
  ASSERT_EQ(WriteMessageLog(setup_, {"third"}), 0);

  std::string day1 = Read(folder_ / "Log" / "SHOPPC0120210509.log");
  EXPECT_EQ(day1, kRule + "\r\n" + std::string(20, ' ') + "2021-05-09 14:03:07\r\n" + kRule + "\r\nfirst\r\n" +
                      kRule + "\r\n" + std::string(20, ' ') + "2021-05-09 23:59:59\r\n" + kRule + "\r\nsecond\r\n");
  EXPECT_EQ(Read(folder_ / "Log" / "SHOPPC0120210510.log"),
            kRule + "\r\n" + std::string(20, ' ') + "2021-05-10 00:00:01\r\n" + kRule + "\r\nthird\r\n");
}

TEST_F(MessageLog, EntriesKeepLineFeedsAndOverLongOnesAreCutAtACharacter) {
  std::string longEntry = "a";
  for (int i = 0; i < 600; ++i) longEntry += "工";  // 1 + 1200 bytes of code page 932
  ASSERT_EQ(WriteMessageLog(setup_, {"上\n下", longEntry}), 0);
  std::string log = Read(folder_ / "Log" / "SHOPPC0120210509.log");
  std::string body = log.substr(log.rfind(kRule + "\r\n") + kRule.size() + 2);
  std::string cut = common::Utf8ToCp932(longEntry).substr(0, 1023);
  EXPECT_EQ(body, common::Utf8ToCp932("上\r\n下") + "\r\n" + cut + "\r\n");
  EXPECT_TRUE(common::IsValidCp932(cut));
}

TEST_F(MessageLog, FolderThatCannotBeCreatedGivesItsBox) {
  // A file stands where the folder should be.
  common::WriteFileAtomic(folder_ / "Log", "not a folder");
  EXPECT_EQ(WriteMessageLog(setup_, {"line"}), -1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], (folder_ / "Log").string() + "\nフォルダ作成失敗");
}

TEST_F(MessageLog, FileThatCannotBeOpenedGivesItsBox) {
  fs::create_directories(folder_ / "Log" / "SHOPPC0120210509.log");
  EXPECT_EQ(WriteMessageLog(setup_, {"line"}), -1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "ログファイル " + (folder_ / "Log" / "SHOPPC0120210509.log").string() + " 作成失敗");
}

TEST_F(MessageLog, WriteFailureIsReportedNotTakenForSuccess) {
  fs::create_directories(folder_ / "Log");
  // Every write to this file ends in "no space left on the device".
  fs::create_symlink("/dev/full", folder_ / "Log" / "SHOPPC0120210509.log");
  EXPECT_EQ(WriteMessageLog(setup_, {"line"}), -1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("作成失敗"), std::string::npos);
}

}  // namespace
