#include "Drilling/companions/settings_dialog.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <string>
#include <vector>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "Drilling/companions/transfer_methods.h"
#include "common/memory_form.h"
#include "common/profile.h"
#include "common/text.h"
#include "support/app_fixture.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

class SettingsDialog : public testsupport::AppFixture {
 protected:
  void SetUp() override { ASSERT_EQ(StartUp(ctx, folder.Path()), 0); }

  void Config(const std::string& utf8) {
    WriteConfig(utf8);
    common::ForgetCachedProfiles();
  }
  // A dialog as it is when it has opened.
  std::unique_ptr<common::MemoryForm> Open() {
    auto form = std::make_unique<common::MemoryForm>(InitialSettingsDialogTemplate(), InitialSettingsDialogProc(ctx));
    form->Init();
    return form;
  }
  std::string Stored(const char* section, const char* key) const {
    return common::ReadProfileText(section, key, "<absent>", 1024, ctx.configPath);
  }
  unsigned ConfigMode() const {
    struct stat st {};
    return stat(ctx.configPath.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
  }

  static constexpr const char* kFull =
      "[EDITOR]\nFILE=/usr/bin/mousepad\n[TRYCUT]\nFILE=\n[NcViewer]\nFILE=/opt/ncv/ncv\n"
      "[Drilling]\nToolTable=/srv/tools/MCTOOL.ini\n"
      "[NcFileTransfer]\nPROTOCOL=%s\nDNC=/opt/dnc/dnclink\nFTP=192.168.0.20\nFTPUSER=cam\nFTPPASS=secret\n"
      "LAN=//server/nc\n";
};

TEST_F(SettingsDialog, OpeningShowsTheStoredValuesAndTheMethodsFields) {
  struct Case {
    const char* protocol;
    int selected;        // entry of the method list, -1 none
    const char* method;  // text of the method box
    const char* destination;
    bool ftpEnabled;
    const char* user;
  };
  const Case cases[] = {
      {"ftp", 2, "FTP", "192.168.0.20", true, "cam"},
      {"DNC", 0, "DNC", "/opt/dnc/dnclink", false, ""},
      {"LAN", -1, "", "//server/nc", false, ""},
      {"", -1, "", "", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.protocol);
    lines.clear();
    Config(common::FormatText(kFull, c.protocol));
    auto form = Open();
    std::vector<std::string> entries;
    for (int i = 0; i < form->EntryCount(kMethodCombo); ++i) entries.push_back(form->EntryText(kMethodCombo, i));
    EXPECT_EQ(entries, (std::vector<std::string>{"DNC", "USB", "FTP", "NETWORK"}));
    EXPECT_EQ(form->FullText(kEditorField), "/usr/bin/mousepad");
    EXPECT_EQ(form->FullText(kTrycutField), "");
    EXPECT_EQ(form->FullText(kNcViewerField), "/opt/ncv/ncv");
    EXPECT_EQ(form->FullText(kToolFileField), "/srv/tools/MCTOOL.ini");
    EXPECT_EQ(form->Selected(kMethodCombo), c.selected);
    EXPECT_EQ(form->FullText(kMethodCombo), c.method);
    EXPECT_EQ(form->FullText(kDestinationField), c.destination);
    EXPECT_EQ(form->IsEnabled(kFtpUserField), c.ftpEnabled);
    EXPECT_EQ(form->IsEnabled(kFtpPasswordField), c.ftpEnabled);
    EXPECT_EQ(form->FullText(kFtpUserField), c.user);
    EXPECT_EQ(lines, std::vector<std::string>{"既存値を読み込みました。"});
  }
}

TEST_F(SettingsDialog, PickingAMethodShowsItsOwnDestination) {
  Config(common::FormatText(kFull, "DNC"));
  auto form = Open();
  form->Choose(kMethodCombo, 2);  // FTP
  EXPECT_EQ(form->FullText(kDestinationField), "192.168.0.20");
  EXPECT_TRUE(form->IsEnabled(kFtpUserField));
  EXPECT_EQ(form->FullText(kFtpPasswordField), "secret");
  // No USB destination stored: the field empties rather than keep the FTP host.
  form->Choose(kMethodCombo, 1);
  EXPECT_EQ(form->FullText(kDestinationField), "");
  EXPECT_FALSE(form->IsEnabled(kFtpUserField));
  EXPECT_EQ(form->FullText(kFtpUserField), "cam");  // disabled, text kept
  // Typing a method does not change the other fields.
  form->SetText(kDestinationField, "/media/usb");
  form->Type(kMethodCombo, "DNC");
  EXPECT_EQ(form->FullText(kDestinationField), "/media/usb");
}

TEST_F(SettingsDialog, SaveWritesTheFieldsAndKeepsWhatItMustNotTouch) {
  struct Case {
    const char* name;
    int method;  // entry to pick
    const char* destination;
    const char* user;
    const char* password;
    // Expected afterwards.
    const char* protocol;
    const char* dnc;
    const char* ftp;
    const char* storedUser;
    const char* storedPassword;
  };
  const Case cases[] = {
      {"FTP with empty account fields", 2, "10.0.0.5 2121", "", "", "FTP", "/opt/dnc/dnclink", "10.0.0.5 2121", "cam",
       "secret"},
      {"FTP with a new account", 2, "10.0.0.5", "op", "pw2", "FTP", "/opt/dnc/dnclink", "10.0.0.5", "op", "pw2"},
      {"DNC keeps FTP's key and the account", 0, "/opt/dnc/new", "x", "y", "DNC", "/opt/dnc/new", "192.168.0.20", "cam",
       "secret"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.boxes.clear();
    Config(common::FormatText(kFull, "DNC"));
    auto form = Open();
    form->Choose(kMethodCombo, c.method);
    form->SetText(kDestinationField, c.destination);
    form->SetText(kFtpUserField, c.user);
    form->SetText(kFtpPasswordField, c.password);
    form->SetText(kEditorField, "");
    form->Click(kSettingsCmdSave);
    ASSERT_TRUE(form->HasEnded());
    EXPECT_EQ(form->Result(), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "設定値を書き込みました。");
    EXPECT_EQ(ui.boxes[0].icon, common::BoxIcon::Information);
    EXPECT_EQ(Stored("NcFileTransfer", "PROTOCOL"), c.protocol);
    EXPECT_EQ(Stored("NcFileTransfer", "DNC"), c.dnc);
    EXPECT_EQ(Stored("NcFileTransfer", "FTP"), c.ftp);
    EXPECT_EQ(Stored("NcFileTransfer", "FTPUSER"), c.storedUser);
    EXPECT_EQ(Stored("NcFileTransfer", "FTPPASS"), c.storedPassword);
    EXPECT_EQ(Stored("NcFileTransfer", "LAN"), "//server/nc");
    // Empty path fields are written as empty keys.
    EXPECT_EQ(Stored("EDITOR", "FILE"), "");
    EXPECT_EQ(Stored("DxfViewer", "FILE"), "");
    EXPECT_EQ(Stored("Drilling", "ToolTable"), "/srv/tools/MCTOOL.ini");
    // The file holds a password: the user's only.
    EXPECT_EQ(ConfigMode(), 0600u);
  }
}

// The dialog offers the transfer's own methods: each one saved comes back
// as the method the transfer runs, with the FTP account fields for the one
// that logs in.
TEST_F(SettingsDialog, EveryTransferMethodIsOfferedSavedAndFoundByTheTransfer) {
  for (const TransferMethod& method : TransferMethods()) {
    SCOPED_TRACE(method.name);
    Config("");
    auto form = Open();
    const int index = form->FindExact(kMethodCombo, common::ToLowerAscii(method.name));
    ASSERT_GE(index, 0);
    form->Choose(kMethodCombo, index);
    EXPECT_EQ(form->IsEnabled(kFtpUserField), method.usesFtpAccount);
    form->SetText(kDestinationField, "/srv/target");
    form->Click(kSettingsCmdSave);
    ASSERT_TRUE(form->HasEnded());
    const std::string stored = Stored("NcFileTransfer", "PROTOCOL");
    EXPECT_EQ(FindTransferMethod(stored), &method);
    EXPECT_EQ(Stored("NcFileTransfer", method.name), "/srv/target");
  }
  EXPECT_EQ(TransferMethods().size(), 4u);
}

TEST_F(SettingsDialog, SavedSettingsComeBackWhenTheDialogOpensAgain) {
  Config("[COLOR]\nWINDOW1=200,200,200\n");
  chmod(ctx.configPath.c_str(), 0644);
  const std::string longPath = "/srv/cam/" + std::string(300, 'p') + "/viewer";
  auto form = Open();
  const std::vector<std::pair<int, std::string>> values = {
      {kEditorField, "/usr/bin/mousepad"}, {kTrycutField, "/opt/TRYCUT2000/Trycut.exe"},
      {kNcViewerField, longPath},          {kDxfViewerField, "/usr/bin/librecad"},
      {kToolFileField, "/srv/tools/工具.ini"}, {kDestinationField, "127.0.0.1 2121"},
      {kFtpUserField, "cam"},              {kFtpPasswordField, "p@ss word"},
  };
  form->Choose(kMethodCombo, 2);
  for (const auto& [id, text] : values) form->SetText(id, text);
  form->Click(kSettingsCmdSave);
  ASSERT_EQ(form->Result(), 0);
  EXPECT_EQ(ConfigMode(), 0600u);

  auto again = Open();
  for (const auto& [id, text] : values) EXPECT_EQ(again->FullText(id), text) << id;
  EXPECT_EQ(again->FullText(kMethodCombo), "FTP");
  EXPECT_TRUE(again->IsEnabled(kFtpPasswordField));
  EXPECT_EQ(Stored("COLOR", "WINDOW1"), "200,200,200");
}

const std::string kLong40 = "p4ssw0rd-" + std::string(31, 'x');
const std::string kPath512 = "/opt/" + std::string(502, 'e') + "/edit";
const std::string kPath608 = "/opt/" + std::string(598, 't') + "/trycut";

TEST_F(SettingsDialog, RefusedSavesWriteNothingAndKeepTheDialogOpen) {
  // The NC viewer is started with its path read with 511 bytes.
  static const std::string kLongViewer = "/opt/" + std::string(510, 'v');
  struct Case {
    int field;
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {kDestinationField, "10.0.0.5\nopen evil", "エラー：NCファイル転送先 に改行や NUL 文字は使えません。"},
      {kFtpPasswordField, "pw\r", "エラー：FTP パスワード に改行や NUL 文字は使えません。"},
      {kMethodCombo, "A=B", "エラー：ファイル転送方法 [A=B] は使えません（DNC, USB, FTP, NETWORK のどれかです）。"},
      {kMethodCombo, "ftppass", "エラー：ファイル転送方法 [ftppass] は使えません（DNC, USB, FTP, NETWORK のどれかです）。"},
      {kMethodCombo, "NETWORKS", "エラー：ファイル転送方法 [NETWORKS] は使えません（DNC, USB, FTP, NETWORK のどれかです）。"},
      {kToolFileField, "/srv/cam/tables/machining-centre-01/magazine/2024-spring/MCTOOL-2024.ini",
       "エラー：工具ファイル のパスは 63 バイトまでです。"},
      {kNcViewerField, kLongViewer.c_str(), "エラー：NC VIEWER のパスは 511 バイトまでです。"},
      // Wider than the room it is kept and read back with: refused, never cut.
      {kFtpPasswordField, kLong40.c_str(), "エラー：FTP パスワード は 31 バイトまでです。"},
      {kFtpUserField, kLong40.c_str(), "エラー：FTP ユーザー は 31 バイトまでです。"},
      {kEditorField, kPath512.c_str(), "エラー：FILE EDITOR のパスは 511 バイトまでです。"},
      {kTrycutField, kPath608.c_str(), "エラー：TRYCUT2000 のパスは 519 バイトまでです。"},
      {kDestinationField, kPath608.c_str(), "エラー：NCファイル転送先 は 519 バイトまでです。"},
      {kMethodCombo, "ＦＴＰ長い名前です",
       "エラー：ファイル転送方法 [ＦＴＰ長い名前です] は使えません（DNC, USB, FTP, NETWORK のどれかです）。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ui.boxes.clear();
    Config(common::FormatText(kFull, "FTP"));
    const std::string before = testsupport::ReadBytes(ctx.configPath);
    auto form = Open();
    form->SetText(kEditorField, "/usr/bin/vi");
    form->SetText(c.field, c.text);
    form->Click(kSettingsCmdSave);
    EXPECT_FALSE(form->HasEnded());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, c.error);
    EXPECT_EQ(testsupport::ReadBytes(ctx.configPath), before);
  }
}

// Each field takes as many bytes as its value keeps; a longer value edited
// into the file by hand shows whole and is not saved cut; the longest that
// fits comes back whole.
TEST_F(SettingsDialog, FieldsTakeTheirRoomAndStoredValuesShowWhole) {
  const std::string kana31 = std::string("パスワード") + "0123456789abcdefghijk";  // 10 + 21 bytes
  Config(std::string("[NcFileTransfer]\nPROTOCOL=FTP\nFTP=10.0.0.1\nFTPUSER=cam\nFTPPASS=") + kLong40 +
         "\n[EDITOR]\nFILE=" + kPath608 + "\n");
  const std::string before = testsupport::ReadBytes(ctx.configPath);
  auto form = Open();
  const std::pair<int, std::size_t> limits[] = {
      {kEditorField, 511},      {kTrycutField, 519},      {kNcViewerField, 511},  {kDxfViewerField, 519},
      {kToolFileField, 63},     {kMethodCombo, 11},       {kDestinationField, 519}, {kFtpUserField, 31},
      {kFtpPasswordField, 31},
  };
  for (const auto& [id, bytes] : limits) EXPECT_EQ(form->TextLimit(id), bytes) << id;
  EXPECT_EQ(form->FullText(kFtpPasswordField), kLong40);
  EXPECT_EQ(form->FullText(kEditorField), kPath608);
  form->Click(kSettingsCmdSave);
  EXPECT_FALSE(form->HasEnded());
  EXPECT_EQ(testsupport::ReadBytes(ctx.configPath), before);

  form->SetText(kEditorField, "/usr/bin/vi");
  form->Type(kFtpPasswordField, kana31 + "xyz");  // typing stops at the room
  EXPECT_EQ(form->FullText(kFtpPasswordField), kana31);
  ui.boxes.clear();
  form->Click(kSettingsCmdSave);
  ASSERT_TRUE(form->HasEnded());
  EXPECT_EQ(Open()->FullText(kFtpPasswordField), kana31);
  EXPECT_EQ(Stored("NcFileTransfer", "FTPPASS"), kana31);
}

// The file may not grow to the size the new settings give it: the save
// fails whole and the file keeps every old value (paths and transfer alike).
TEST_F(SettingsDialog, AWriteThatFailsLeavesTheFileAsItWas) {
  auto fill = [](common::MemoryForm& form) {
    form.SetText(kEditorField, "/usr/local/bin/a-longer-editor");
    form.SetText(kDxfViewerField, "/usr/bin/librecad");
    form.Choose(kMethodCombo, 2);
    form.SetText(kDestinationField, "10.0.0.99 2121");
    form.SetText(kFtpUserField, "operator");
  };
  Config(common::FormatText(kFull, "DNC"));
  const std::string before = testsupport::ReadBytes(ctx.configPath);
  auto form = Open();
  fill(*form);
  form->Click(kSettingsCmdSave);
  ASSERT_EQ(form->Result(), 0);
  const std::size_t saved = testsupport::ReadBytes(ctx.configPath).size();
  ASSERT_GT(saved, before.size());

  Config(common::FormatText(kFull, "DNC"));
  ui.boxes.clear();
  auto again = Open();
  fill(*again);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = saved - 1;
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  again->Click(kSettingsCmdSave);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(again->HasEnded());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "エラー：設定値を " + ctx.configPath.string() + " に書き込めません。");
  EXPECT_EQ(testsupport::ReadBytes(ctx.configPath), before);
}

TEST_F(SettingsDialog, CancelHelpAndTheCloseBox) {
  Config(common::FormatText(kFull, "DNC"));
  const std::string before = testsupport::ReadBytes(ctx.configPath);
  common::MemoryForm main(MainDialogTemplate());

  // The menu's cancel: result 0, nothing written; help does nothing.
  ui.modalHandlers["DRILLINGINITDIALOG"] = [](common::Form& dialog) {
    auto& form = static_cast<common::MemoryForm&>(dialog);
    form.SetText(kEditorField, "/usr/bin/vi");
    form.Click(kSettingsCmdHelp);
    EXPECT_FALSE(form.HasEnded());
    form.Click(kSettingsCmdCancel);
  };
  DispatchMainCommand(ctx, main, kCmdInitialSettings);  // 設定 → 初期設定
  EXPECT_EQ(ui.modalsRun, std::vector<std::string>{"DRILLINGINITDIALOG"});
  EXPECT_EQ(testsupport::ReadBytes(ctx.configPath), before);

  // The close box asks; No keeps the dialog, Yes ends it with -1.
  ui.answers = {false, true};
  ui.modalHandlers["DRILLINGINITDIALOG"] = [](common::Form& dialog) {
    auto& form = static_cast<common::MemoryForm&>(dialog);
    form.Send(common::DialogEvent::Close);
    EXPECT_FALSE(form.HasEnded());
    form.Send(common::DialogEvent::Close);
  };
  EXPECT_EQ(RunInitialSettingsDialog(ctx, main), -1);
  EXPECT_EQ(ui.questions, (std::vector<std::string>{"本当に終了しますか？", "本当に終了しますか？"}));
  EXPECT_EQ(testsupport::ReadBytes(ctx.configPath), before);
  EXPECT_EQ(ui.modalsRun.back(), "DRILLINGINITDIALOG");
}

TEST_F(SettingsDialog, BrowseButtonsPutTheChosenFileIntoTheirField) {
  Config("");
  auto form = Open();
  const fs::path table = folder / "MCTOOL.ini";
  testsupport::WriteBytes(table, "");
  ui.fileChoices = {std::string("/bin/sh"), std::nullopt, table.string()};
  form->Click(kTrycutButton);
  form->Click(kDxfViewerButton);  // cancelled: unchanged
  form->Click(kToolFileButton);
  EXPECT_EQ(form->FullText(kTrycutField), "/bin/sh");
  EXPECT_EQ(form->FullText(kDxfViewerField), "");
  EXPECT_EQ(form->FullText(kToolFileField), table.string());
  ASSERT_EQ(ui.fileRequests.size(), 3u);
  EXPECT_EQ(ui.fileRequests[0].title, "EXEファイルを開く");
  EXPECT_EQ(ui.fileRequests[0].initialFolder, "/usr/bin");
  EXPECT_EQ(ui.fileRequests[2].title, "TBLファイルを開く");
  EXPECT_EQ(ui.fileRequests[2].initialFolder, folder.Path().string());
  form->Click(kDestinationButton);  // no action
  EXPECT_EQ(ui.fileRequests.size(), 3u);
}

}  // namespace
}  // namespace drilling
