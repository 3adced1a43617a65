#include "Drilling/companions/nc_transfer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "common/memory_form.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "companions/ftp_server_support.h"
#include "support/app_fixture.h"
#include "support/stand_in_program.h"

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace drilling {
namespace {

// An NC program with CR LF and a code page 932 comment: it must arrive as
// these bytes exactly.
const std::string kProgram = "%\r\nO1001\r\n(\x8c\x8a\x96\xbe\x82\xaf)\r\nG90 G54\r\nM30\r\n%\r\n";

class Transfer : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
    MakeJob("O1001.nc", "1001");
    WriteBytes(ctx.NcFolder() / "O1001.nc", kProgram);
  }

  // The job file DB/JOB.ini with these values (empty: key absent).
  void MakeJob(const std::string& ncFile, const std::string& programNumber) {
    std::string text = "[Drilling]\n";
    if (!ncFile.empty()) text += "NcFile=" + ncFile + "\n";
    if (!programNumber.empty()) text += "Ｏ番号=" + programNumber + "\n";
    ctx.currentJobPath = ctx.JobFolder() / "JOB.ini";
    WriteBytes(ctx.currentJobPath, common::Utf8ToCp932(text));
    common::ForgetCachedProfiles();
  }
  void SetTransfer(const std::string& section) {
    WriteConfig("[NcFileTransfer]\n" + section);
    common::ForgetCachedProfiles();
  }
  std::vector<std::string> Boxes(common::BoxIcon icon) const {
    std::vector<std::string> texts;
    for (const auto& b : ui.boxes)
      if (b.icon == icon) texts.push_back(b.text);
    return texts;
  }
  bool Listed(const std::string& part) const {
    for (const auto& line : lines)
      if (line.find(part) != std::string::npos) return true;
    return false;
  }
};

TEST_F(Transfer, ChecksBeforeAnyMethodEachGiveTheirOneError) {
  struct Case {
    const char* name;
    std::string ncFile;
    bool programThere;
    std::string transfer;
    std::string error;
  };
  const std::string unknown = "がわかりません（DNC, USB, FTP, NETWORK のどれかを設定して下さい）";
  const Case cases[] = {
      {"no NcFile", "", true, "PROTOCOL=USB\nUSB=/tmp\n", "エラー：ＮＣファイル名が未定義です。"},
      {"NcFile leaving ncdata", "../DB/JOB.ini", true, "PROTOCOL=USB\nUSB=/tmp\n",
       "エラー：ＮＣファイル名 ../DB/JOB.ini は使えません（フォルダを含まない名前にして下さい）"},
      {"no NC program", "O1001.nc", false, "PROTOCOL=USB\nUSB=/tmp\n", "エラー：ＮＣ計算が終了していません。"},
      {"method without destination", "O1001.nc", true, "PROTOCOL=NETWORK\nUSB=/tmp\n", "エラー：転送方法がわかりません"},
      {"no PROTOCOL and no DNC key", "O1001.nc", true, "FTP=127.0.0.1\n", "エラー：転送方法がわかりません"},
      {"empty PROTOCOL and no DNC key", "O1001.nc", true, "PROTOCOL=\nUSB=/tmp\n", "エラー：転送方法がわかりません"},
      {"a method of another name", "O1001.nc", true, "PROTOCOL=LAN\nLAN=//server/nc\n",
       "エラー：転送方法 LAN " + unknown},
      {"a misspelt method", "O1001.nc", true, "PROTOCOL=NETWORKS\nNETWORKS=/tmp\n",
       "エラー：転送方法 NETWORKS " + unknown},
      {"a misspelt method without its key", "O1001.nc", true, "PROTOCOL=ftpp\n", "エラー：転送方法 ftpp " + unknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.boxes.clear();
    lines.clear();
    MakeJob(c.ncFile, "1001");
    if (!c.programThere) fs::remove(ctx.NcFolder() / "O1001.nc");
    SetTransfer(c.transfer);
    EXPECT_EQ(TransferNcFile(ctx, nullptr), -1);
    EXPECT_EQ(Boxes(common::BoxIcon::Error), std::vector<std::string>{c.error});
    EXPECT_TRUE(launcher.started.empty());
    WriteBytes(ctx.NcFolder() / "O1001.nc", kProgram);
  }
}

TEST_F(Transfer, NetworkAndUsbReplaceTheTargetWholeAndSaySo) {
  struct Case {
    const char* protocol;
    const char* key;
    const char* done;
  };
  const Case cases[] = {
      {"network", "NETWORK", "ＮＣファイル O1001.nc\nネットワークパス %s\nコピーしました。"},
      {"Usb", "USB", "ＮＣファイル O1001.nc\nUSBメモリ %s\nコピーしました。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.protocol);
    ui.boxes.clear();
    testsupport::TempFolder target;
    WriteBytes(target / "O1001.nc", "an older program, longer than the new one ...........................");
    chmod((target / "O1001.nc").c_str(), 0640);
    SetTransfer(std::string("PROTOCOL=") + c.protocol + "\n" + c.key + "=" + target.Path().string() + "\n");
    common::MemoryForm main(MainDialogTemplate());
    DispatchMainCommand(ctx, main, kCmdTransferNcData);  // 【ＮＣデータ転送】
    EXPECT_EQ(ReadBytes(target / "O1001.nc"), kProgram);
    struct stat st {};
    ASSERT_EQ(stat((target / "O1001.nc").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // the replaced file keeps its permissions
    EXPECT_EQ(std::distance(fs::directory_iterator(target.Path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(Boxes(common::BoxIcon::Error).empty());
    EXPECT_EQ(Boxes(common::BoxIcon::Information),
              std::vector<std::string>{common::FormatText(c.done, target.Path().string().c_str())});
  }
}

TEST_F(Transfer, AFailedCopyLeavesTheTargetFolderAsItWasAndIsReported) {
  struct Case {
    const char* key;
    const char* error;
  };
  const Case cases[] = {
      {"NETWORK", "エラー：ネットワークドライブへファイル転送に失敗しました。"},
      {"USB", "エラー：USBメモリへファイル転送に失敗しました。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    testsupport::TempFolder target;
    // A target that cannot be replaced (a folder holding a file), and a
    // destination folder that does not exist.
    fs::create_directory(target / "O1001.nc");
    WriteBytes(target / "O1001.nc" / "keep", "kept");
    for (const fs::path& destination : {target.Path(), target / "missing"}) {
      ui.boxes.clear();
      SetTransfer(std::string("PROTOCOL=") + c.key + "\n" + c.key + "=" + destination.string() + "\n");
      EXPECT_EQ(TransferNcFile(ctx, nullptr), -1);
      EXPECT_EQ(Boxes(common::BoxIcon::Error), std::vector<std::string>{c.error});
      EXPECT_TRUE(Boxes(common::BoxIcon::Information).empty());
      EXPECT_EQ(ReadBytes(target / "O1001.nc" / "keep"), "kept");
      EXPECT_EQ(std::distance(fs::directory_iterator(target.Path()), fs::directory_iterator()), 1);
      EXPECT_FALSE(fs::exists(target / "missing"));
    }
    // A program made write-protected at the target (checked by the machine's
    // operator, say) is not replaced, also when the copy runs as root.
    testsupport::TempFolder locked;
    WriteBytes(locked / "O1001.nc", "checked program");
    fs::permissions(locked / "O1001.nc", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ui.boxes.clear();
    lines.clear();
    SetTransfer(std::string("PROTOCOL=") + c.key + "\n" + c.key + "=" + locked.Path().string() + "\n");
    EXPECT_EQ(TransferNcFile(ctx, nullptr), -1);
    EXPECT_EQ(Boxes(common::BoxIcon::Error), std::vector<std::string>{c.error});
    EXPECT_EQ(ReadBytes(locked / "O1001.nc"), "checked program");
    EXPECT_TRUE(Listed("write-protected")) << ::testing::PrintToString(lines);
    EXPECT_EQ(std::distance(fs::directory_iterator(locked.Path()), fs::directory_iterator()), 1);
  }
}

TEST_F(Transfer, DncRunsTheStopScriptThenStartsTheProgramWithThePathAsOneArgument) {
  // Without DncStop.sh (not an error), then with one that leaves a mark.
  for (bool stopScript : {false, true}) {
    SCOPED_TRACE(stopScript);
    launcher.started.clear();
    lines.clear();
    ui.boxes.clear();
    if (stopScript) {
      WriteBytes(folder / "DncStop.sh", "#!/bin/sh\necho stopped > \"$PWD/stopped.mark\"\n");
      fs::permissions(folder / "DncStop.sh", fs::perms::owner_all);
    }
    MakeJob("O 1001.nc", "1001");
    WriteBytes(ctx.NcFolder() / "O 1001.nc", kProgram);
    SetTransfer("DNC=/opt/dnc/bin/dnclink\n");  // no PROTOCOL: DNC
    ASSERT_EQ(TransferNcFile(ctx, nullptr), 0);
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, "/opt/dnc/bin/dnclink");
    EXPECT_EQ(launcher.started[0].arguments, std::vector<std::string>{(ctx.NcFolder() / "O 1001.nc").string()});
    EXPECT_EQ(fs::exists(folder / "stopped.mark"), stopScript);
    EXPECT_EQ(lines, std::vector<std::string>{"DNCソフトウェアを閉じます。"});
    EXPECT_TRUE(ui.boxes.empty());
  }

  lines.clear();
  launcher.startResult = false;
  EXPECT_EQ(TransferNcFile(ctx, nullptr), -1);
  EXPECT_EQ(Boxes(common::BoxIcon::Error), std::vector<std::string>{"エラー：ＭＣへファイル転送に失敗しました。"});
  EXPECT_TRUE(Listed("/opt/dnc/bin/dnclink を起動できません"));
}

TEST_F(Transfer, DncStandInProgramReceivesTheNcPath) {
  common::SystemLauncher real;
  ctx.launcher = &real;
  testsupport::StandInProgram dnc(folder / "dnc" / "dnclink");
  MakeJob("O 1001.nc", "1001");
  WriteBytes(ctx.NcFolder() / "O 1001.nc", kProgram);
  SetTransfer("PROTOCOL=dnc\nDNC=" + dnc.Path().string() + "\n");
  ASSERT_EQ(TransferNcFile(ctx, nullptr), 0);
  EXPECT_EQ(dnc.Arguments(), std::vector<std::string>{(ctx.NcFolder() / "O 1001.nc").string()});
}

TEST_F(Transfer, FtpScriptIsPrivateFedOnStandardInputAndRemovedAfter) {
  // A stand-in client on PATH copies its script and reports its mode.
  testsupport::TempFolder bin;
  const fs::path copy = bin / "script.txt";
  WriteBytes(bin / "ftp",
             "#!/bin/sh\nstat -L -c %a /dev/stdin > \"" + bin.Path().string() + "/mode.txt\"\n"
             "printf '%s\\n' \"$*\" > \"" + bin.Path().string() + "/args.txt\"\n"
             "cat > \"" + copy.string() + "\"\necho '230 Login successful.'\necho '200 Type set to: Binary.'\n"
             "echo 'local: x remote: 7'\necho '226 Transfer complete.'\n");
  fs::permissions(bin / "ftp", fs::perms::owner_all);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (bin.Path().string() + ":" + oldPath).c_str(), 1);
  SetTransfer("PROTOCOL=FTP\nFTP=machine.local 2121\nFTPUSER=cam\nFTPPASS=se cret\"\nFTPEXTENTION=0\n");
  MakeJob("O1001.nc", "0007");
  int result = TransferNcFile(ctx, nullptr);
  setenv("PATH", oldPath.c_str(), 1);

  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadBytes(copy), "open machine.local 2121\nuser cam se\\ cret\\\"\nbinary\nput " +
                                 (ctx.NcFolder() / "O1001.nc").string() + " 7\nquit\n");
  EXPECT_EQ(ReadBytes(bin / "mode.txt"), "600\n");
  EXPECT_EQ(ReadBytes(bin / "args.txt"), "-n -v -g\n");
  EXPECT_FALSE(fs::exists(ctx.NcFolder() / "mtftp.ctl"));
  EXPECT_EQ(Boxes(common::BoxIcon::Information),
            std::vector<std::string>{"ＮＣファイル O1001.nc\nホスト名 [IP Address] machine.local 2121\n転送しました。"});
}

class FtpTransferTest : public Transfer {
 protected:
  void SetUp() override {
    Transfer::SetUp();
    ASSERT_NE(server.Port(), 0) << server.Error();
  }
  std::string Host() const { return "127.0.0.1 " + std::to_string(server.Port()); }

  testsupport::TempFolder served;
  testsupport::FtpServer server{served.Path()};
};

TEST_F(FtpTransferTest, UploadArrivesByteForByteUnderTheRemoteNameOfFtpextention) {
  struct Case {
    const char* extension;
    const char* remote;
  };
  const Case cases[] = {{"1", "O1001.nc"}, {"0", "1001"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extension);
    ui.boxes.clear();
    SetTransfer("PROTOCOL=ftp\nFTP=" + Host() + "\nFTPUSER=cam\nFTPPASS=secret\nFTPEXTENTION=" + c.extension + "\n");
    ASSERT_EQ(TransferNcFile(ctx, nullptr), 0);
    EXPECT_EQ(ReadBytes(served / c.remote), kProgram);
    EXPECT_TRUE(Boxes(common::BoxIcon::Error).empty());
    EXPECT_EQ(Boxes(common::BoxIcon::Information).size(), 1u);
    EXPECT_FALSE(fs::exists(ctx.NcFolder() / "mtftp.ctl"));
  }
}

// Whatever the server calls itself (UNIX goes binary by itself in the
// client; a Windows server, or one that does not answer SYST, would get ASCII
// and store every CR LF as CR CR LF) and whatever characters the account and
// the folders hold, the server receives the program's bytes.
TEST_F(Transfer, EveryServerKindAndAccountReceivesTheProgramByteForByte) {
  using testsupport::FtpSystem;
  const std::vector<testsupport::FtpAccount> accounts = {
      {"op \"1\"", "pa\\ss\"wd"}, {"shop user", "pass word"}, {"cam;!$#", ";!$#\\x"}, {"ユーザー", "パス\t語"}};
  testsupport::TempFolder served;
  std::map<FtpSystem, std::unique_ptr<testsupport::FtpServer>> servers;
  for (FtpSystem system : {FtpSystem::Unix, FtpSystem::WindowsNt, FtpSystem::Silent}) {
    servers[system] = std::make_unique<testsupport::FtpServer>(served.Path(), system, accounts);
    ASSERT_NE(servers[system]->Port(), 0) << servers[system]->Error();
  }
  struct Case {
    const char* name;
    FtpSystem system;
    std::string user;
    std::string password;
    std::string programFolder;  // under the test's folder; empty: the folder itself
    std::string ncFile;
  };
  const Case cases[] = {
      {"UNIX", FtpSystem::Unix, "cam", "secret", "", "O1001.nc"},
      {"Windows_NT", FtpSystem::WindowsNt, "cam", "secret", "", "O1001.nc"},
      {"no answer to SYST", FtpSystem::Silent, "cam", "secret", "", "O1001.nc"},
      {"quotes and a backslash", FtpSystem::WindowsNt, accounts[0].user, accounts[0].password, "", "O1001.nc"},
      {"blanks", FtpSystem::Silent, accounts[1].user, accounts[1].password, "", "O1001.nc"},
      {"shell and comment characters", FtpSystem::Unix, accounts[2].user, accounts[2].password, "", "O1001.nc"},
      {"kana and a tab", FtpSystem::WindowsNt, accounts[3].user, accounts[3].password, "", "O1001.nc"},
      {"program folder and NC file with a quote and blanks", FtpSystem::Silent, "cam", "secret",
       "cam \"shop\" 1", "O 1001\".nc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.boxes.clear();
    lines.clear();
    const fs::path home = c.programFolder.empty() ? folder.Path() : folder / c.programFolder;
    fs::create_directories(home);
    ASSERT_EQ(StartUp(ctx, home), 0);
    MakeJob(c.ncFile, "1001");
    WriteBytes(ctx.NcFolder() / c.ncFile, kProgram);
    WriteConfig("[NcFileTransfer]\nPROTOCOL=FTP\nFTP=127.0.0.1 " + std::to_string(servers[c.system]->Port()) +
                "\nFTPUSER=" + c.user + "\nFTPPASS=" + c.password + "\n");
    common::ForgetCachedProfiles();
    EXPECT_EQ(TransferNcFile(ctx, nullptr), 0) << ::testing::PrintToString(lines);
    EXPECT_EQ(ReadBytes(served / c.ncFile), kProgram);
    EXPECT_TRUE(Boxes(common::BoxIcon::Error).empty());
    fs::remove(served / c.ncFile);
  }
}

TEST_F(FtpTransferTest, EveryFailureIsOneErrorBoxWithTheReasonListed) {
  const std::string failed = "エラー：ＭＣデータサーバーへのファイル転送に失敗しました。";
  struct Case {
    const char* name;
    std::string transfer;
    std::string listed;  // part of a list line; empty: no reason line
    std::string box;
  };
  const std::string unused = "127.0.0.1 " + std::to_string(testsupport::UnusedLoopbackPort());
  const Case cases[] = {
      {"wrong password", "FTP=" + Host() + "\nFTPUSER=cam\nFTPPASS=wrong\n", "530 ", failed},
      {"file refused", "FTP=" + Host() + "\nFTPUSER=viewer\nFTPPASS=look\n", "550 ", failed},
      {"no server", "FTP=" + unused + "\nFTPUSER=cam\nFTPPASS=secret\n", "Can't connect", failed},
      {"no password", "FTP=" + Host() + "\nFTPUSER=cam\nFTPPASS=\n", "", failed},
      {"no user", "FTP=" + Host() + "\nFTPPASS=secret\n", "", failed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.boxes.clear();
    lines.clear();
    SetTransfer("PROTOCOL=FTP\n" + c.transfer);
    EXPECT_EQ(TransferNcFile(ctx, nullptr), -1);
    EXPECT_EQ(Boxes(common::BoxIcon::Error), std::vector<std::string>{c.box});
    EXPECT_TRUE(Boxes(common::BoxIcon::Information).empty());
    if (!c.listed.empty()) {
      EXPECT_TRUE(Listed(c.listed)) << ::testing::PrintToString(lines);
    }
    EXPECT_FALSE(fs::exists(served / "O1001.nc"));
    EXPECT_FALSE(fs::exists(ctx.NcFolder() / "mtftp.ctl"));
  }
}

// The client runs as a long task of the Ui: progress lines while it waits,
// and 中止 ends it at once, reported as stopped (not sent, not failed); a
// script a killed run left behind goes before anything else happens.
TEST_F(Transfer, AStoppedFtpTransferEndsTheClientAndSaysSo) {
  testsupport::SilentServer silent;
  ASSERT_NE(silent.Port(), 0);
  const fs::path script = ctx.NcFolder() / "mtftp.ctl";
  WriteBytes(script, "user cam an-old-password\n");
  SetTransfer("PROTOCOL=FTP\nFTP=127.0.0.1 " + std::to_string(silent.Port()) + "\nFTPUSER=cam\nFTPPASS=secret\n");
  ui.stopLongTasksAfterMs = 300;
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(TransferNcFile(ctx, nullptr), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
  EXPECT_EQ(ui.longTasks, std::vector<std::string>{"ＮＣファイル O1001.nc\nホスト名 [IP Address] 127.0.0.1 " +
                                                   std::to_string(silent.Port()) + " へ転送しています"});
  EXPECT_TRUE(Boxes(common::BoxIcon::Error).empty());
  EXPECT_EQ(Boxes(common::BoxIcon::Warning),
            std::vector<std::string>{"ＮＣファイル O1001.nc\n送り先 127.0.0.1 " + std::to_string(silent.Port()) +
                                     "\n転送を中止しました。送り先のファイルは不完全な場合があります。"});
  EXPECT_FALSE(fs::exists(script));
  EXPECT_TRUE(testsupport::ChildrenOf(getpid()).empty());

  // Waiting on, the progress lines come on the caller's thread every 5 s.
  ui.boxes.clear();
  lines.clear();
  ui.stopLongTasksAfterMs = 5500;
  EXPECT_EQ(TransferNcFile(ctx, nullptr), -1);
  EXPECT_EQ(lines.front(), "ＦＴＰ転送中 127.0.0.1 " + std::to_string(silent.Port()) + " （5秒）");
  EXPECT_EQ(Boxes(common::BoxIcon::Warning).size(), 1u);
}

TEST_F(Transfer, FtpStepThatReportsItselfIsTheOnlyErrorBox) {
  SetTransfer("PROTOCOL=FTP\nFTP=127.0.0.1\nFTPUSER=cam\nFTPPASS=secret\n");
  const fs::path script = ctx.NcFolder() / "mtftp.ctl";
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  testsupport::TempFolder empty;
  struct Case {
    const char* name;
    bool scriptBlocked;  // a folder where the script goes
    std::string box;
  };
  const Case cases[] = {
      {"no ftp client", false, "エラー：ファイル転送に失敗しました。"},
      {"script cannot be written", true, "エラー：ファイル " + script.string() + " が開けません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.boxes.clear();
    if (c.scriptBlocked) fs::create_directory(script);
    setenv("PATH", empty.Path().c_str(), 1);
    int result = TransferNcFile(ctx, nullptr);
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Boxes(common::BoxIcon::Error), std::vector<std::string>{c.box});
    EXPECT_EQ(lines.back(), "エラー：ＭＣデータサーバーへのファイル転送に失敗しました。");
    EXPECT_EQ(fs::exists(script), c.scriptBlocked);
  }
}

TEST(FtpOutcome, OnlyACompletionReplyConfirmsTheUpload) {
  struct Case {
    const char* output;
    bool confirmed;
    const char* reply;
  };
  const Case cases[] = {
      {"230 Login successful.\n200 Type set to: Binary.\nlocal: /nc/O1.nc remote: O1.nc\n"
       "229 Entering extended passive mode (|||1|).\n125 Starting.\n226 Transfer complete.\n221 Goodbye.\n",
       true, ""},
      {"230 Login successful.\n200 Type set to I.\nlocal: /nc/O1.nc remote: 1\n250 Requested file action okay.\n",
       true, ""},
      {"220-Welcome\n226 of them served today\n230 Login successful.\n200 Type set to: Binary.\n"
       "local: /nc/O1.nc remote: 1\n553 Could not create file.\n",
       false, "553 Could not create file."},
      // The server refused binary (or its answer is missing): the put that
      // followed went in ASCII mode and does not count.
      {"230 Login successful.\n504 Unsupported type.\nlocal: /nc/O1.nc remote: O1.nc\n226 Transfer complete.\n",
       false, "504 Unsupported type."},
      {"230 Login successful.\n200 Type set to: Binary.\n500 Unknown command.\nlocal: /nc/O1.nc remote: O1.nc\n"
       "226 Transfer complete.\n",
       false, "500 Unknown command."},
      {"230 Login successful.\nlocal: /nc/O1.nc remote: O1.nc\n226 Transfer complete.\n221 Goodbye.\n", false,
       "221 Goodbye."},
      {"230 Login successful.\n200 Type set to: Binary.\n221 Goodbye.\n", false, "221 Goodbye."},
      {"530 Authentication failed.\nLogin failed.\n530 Log in with USER and PASS first.\n221 Goodbye.\n", false,
       "530 Authentication failed."},
      {"ftp: Can't connect to `127.0.0.1:1': Connection refused\nNot connected.\n", false,
       "ftp: Can't connect to `127.0.0.1:1': Connection refused"},
      {"2260 bytes sent\n", false, "2260 bytes sent"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    FtpOutcome outcome = ReadFtpOutcome(c.output);
    EXPECT_EQ(outcome.confirmed, c.confirmed);
    EXPECT_EQ(outcome.reply, c.reply);
  }
}

}  // namespace
}  // namespace drilling
