// The road of the command line: settings saved with the password from
// standard input, then send puts the program on a real FTP server.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/sjis.h"
#include "companions/ftp_server_support.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
};

// drillnc --home HOME args..., standard input from `input`.
Outcome Drillnc(const fs::path& home, const fs::path& scratch, std::vector<std::string> args, const std::string& input) {
  WriteBytes(scratch / "in", input);
  args.insert(args.begin(), {DRILLING_PROGRAM_DIR "/drillnc", "--home", home.string()});
  Outcome run;
  run.status = testsupport::RunProgram(args, {scratch / "in", scratch / "out", {}});
  run.out = ReadBytes(scratch / "out");
  return run;
}

TEST(DrillncSend, SettingsThenSendPutsTheProgramOnTheServer) {
  testsupport::TempFolder home;
  testsupport::TempFolder scratch;
  testsupport::TempFolder served;
  testsupport::FtpServer server(served.Path());
  ASSERT_NE(server.Port(), 0) << server.Error();
  WriteBytes(home / "Drilling.ini", "[NcFileTransfer]\r\nPROTOCOL=DNC\r\nDNC=/opt/dnc\r\n");
  fs::create_directories(home / "DB");
  fs::create_directories(home / "ncdata");
  WriteBytes(home / "DB" / "PLATE.ini", common::Utf8ToCp932("[Drilling]\r\nNcFile=O12.nc\r\nＯ番号=12\r\n"));
  const std::string program = "%\r\nO0012\r\nM30\r\n%\r\n";
  WriteBytes(home / "ncdata" / "O12.nc", program);

  const std::string host = "127.0.0.1 " + std::to_string(server.Port());
  Outcome set = Drillnc(home.Path(), scratch.Path(),
                    {"settings", "--protocol", "ftp", "--destination", host, "--ftp-user", "cam",
                     "--ftp-password-stdin"},
                    "secret\n");
  EXPECT_EQ(set.status, 0) << set.out;
  EXPECT_NE(set.out.find("ファイル転送方法: FTP\nNCファイル転送先: " + host + "\nFTP ユーザー: cam\nFTP パスワード: ***\n"),
            std::string::npos)
      << set.out;
  EXPECT_EQ(set.out.find("secret"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(stat((home / "Drilling.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_NE(ReadBytes(home / "Drilling.ini").find("FTPPASS=secret\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(home / "Drilling.ini").find("DNC=/opt/dnc\r\n"), std::string::npos);

  Outcome send = Drillnc(home.Path(), scratch.Path(), {"send", "PLATE"}, "");
  EXPECT_EQ(send.status, 0) << send.out;
  EXPECT_EQ(ReadBytes(served / "O12.nc"), program);
  EXPECT_NE(send.out.find("転送しました。"), std::string::npos) << send.out;

  // The account options need the FTP method.
  Outcome refused = Drillnc(home.Path(), scratch.Path(), {"settings", "--protocol", "USB", "--ftp-user", "x"}, "");
  EXPECT_EQ(refused.status, 1);
}

// What does not fit, or names no transfer method, is refused with the field
// named, exit 1, and Drilling.ini stays byte for byte as it was.
TEST(DrillncSend, SettingsThatDoNotFitAreRefusedAndChangeNothing) {
  testsupport::TempFolder home;
  testsupport::TempFolder scratch;
  const std::string config = "[NcFileTransfer]\r\nPROTOCOL=FTP\r\nFTP=10.0.0.1\r\nFTPUSER=cam\r\nFTPPASS=pw\r\n";
  WriteBytes(home / "Drilling.ini", config);
  const std::string long40(40, 'u');
  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::string error;
  };
  const Case cases[] = {
      {{"--ftp-user", long40}, "", "エラー：FTP ユーザー は 31 バイトまでです。"},
      {{"--ftp-password-stdin"}, long40 + "\n", "エラー：FTP パスワード は 31 バイトまでです。"},
      {{"--editor", "/opt/" + std::string(603, 'e')}, "", "エラー：FILE EDITOR のパスは 511 バイトまでです。"},
      {{"--protocol", "ＦＴＰ長い名前です"}, "",
       "エラー：ファイル転送方法 [ＦＴＰ長い名前です] は使えません（DNC, USB, FTP, NETWORK のどれかです）。"},
      {{"--protocol", "NETWORKS", "--destination", "/srv/nc"}, "",
       "エラー：ファイル転送方法 [NETWORKS] は使えません（DNC, USB, FTP, NETWORK のどれかです）。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    std::vector<std::string> args{"settings"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Outcome run = Drillnc(home.Path(), scratch.Path(), args, c.input);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find(c.error), std::string::npos) << run.out;
    EXPECT_EQ(ReadBytes(home / "Drilling.ini"), config);
  }
}

}  // namespace
