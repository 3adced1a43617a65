#include "Drilling/app/main_window.h"

#include "Drilling/app/commands.h"
#include "Drilling/app/field_check.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "Drilling/holes/hole_dialog.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/job/job_file.h"
#include "Drilling/job/material_dialog.h"
#include "common/profile.h"
#include "common/text.h"

namespace drilling {

using common::ControlKind;
using common::ControlTemplate;
using common::MenuItem;

const common::DialogTemplate& MainDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "DRILLINGMAINDIALOG";
    t.caption = "穴明けＮＣ加工システム";
    t.width = 300;
    t.height = 230;
    t.menuName = "MAINPROGMENU";
    t.iconId = 101;
    const unsigned list = common::kUpperCase;
    t.controls = {
        {kTitleButton, ControlKind::Button, "表題 [ファイル]", 8, 8, 70, 14},
        {kTitleEdit, ControlKind::Edit, "", 84, 8, 206, 14},
        {common::kStaticId, ControlKind::Label, "材質", 8, 31, 70, 10},
        {kMaterialCombo, ControlKind::ComboEdit, "", 84, 29, 100, 120, list},
        {common::kStaticId, ControlKind::Label, "材料寸法 Ｘ", 8, 52, 70, 10},
        {kStockXEdit, ControlKind::Edit, "", 84, 50, 56, 14},
        {common::kStaticId, ControlKind::Label, "Ｙ", 146, 52, 12, 10},
        {kStockYEdit, ControlKind::Edit, "", 160, 50, 56, 14},
        {common::kStaticId, ControlKind::Label, "Ｚ", 222, 52, 12, 10},
        {kStockZEdit, ControlKind::Edit, "", 236, 50, 54, 14},
        {common::kStaticId, ControlKind::Label, "加工原点 Ｘ", 8, 73, 70, 10},
        {kOriginXEdit, ControlKind::Edit, "", 84, 71, 56, 14},
        {common::kStaticId, ControlKind::Label, "Ｙ", 146, 73, 12, 10},
        {kOriginYEdit, ControlKind::Edit, "", 160, 71, 56, 14},
        {common::kStaticId, ControlKind::Label, "制御装置名", 8, 94, 70, 10},
        {kControllerCombo, ControlKind::ComboEdit, "", 84, 92, 206, 120, list},
        {common::kStaticId, ControlKind::Label, "ワーク座標系", 8, 115, 70, 10},
        {kCoordSystemCombo, ControlKind::ComboEdit, "", 84, 113, 100, 120, list},
        {kProgramNumberButton, ControlKind::Button, "プログラム番号", 8, 134, 70, 14},
        {kProgramNumberEdit, ControlKind::Edit, "", 84, 134, 56, 14},
        {kHoleGroupButton1, ControlKind::Button, "穴情報登録 [1]", 8, 158, 70, 14},
        {kHoleTypeLabel1, ControlKind::Label, "", 84, 160, 206, 10},
        {kHoleGroupButton1 + 1, ControlKind::Button, "穴情報登録 [2]", 8, 175, 70, 14},
        {kHoleTypeLabel1 + 1, ControlKind::Label, "", 84, 177, 206, 10},
        {kHoleGroupButton1 + 2, ControlKind::Button, "穴情報登録 [3]", 8, 192, 70, 14},
        {kHoleTypeLabel1 + 2, ControlKind::Label, "", 84, 194, 206, 10},
        {kHoleGroupButton1 + 3, ControlKind::Button, "穴情報登録 [4]", 8, 209, 70, 14},
        {kHoleTypeLabel1 + 3, ControlKind::Label, "", 84, 211, 206, 10},
    };
    const MenuItem separator{};
    t.menu = {
        {"開く",
         0,
         {{"新規作成", kCmdNew, {}},
          separator,
          {"ＮＣファイル", kCmdNcFile, {}},
          {"定義ファイル", kCmdDefinitionFile, {}},
          {"加工工程", kCmdProcesses, {}},
          separator,
          {"終了", kCmdQuit, {}}}},
        {"設定",
         0,
         {{"初期設定", kCmdInitialSettings, {}},
          {"ＮＣ出力設定", kCmdNcOutputSettings, {}},
          {"ユーザー毎設定", kCmdUserSettings, {}},
          separator,
          {"工具リスト登録", kCmdToolList, {}},
          separator,
          {"終了", kCmdQuit, {}}}},
        {"補助",
         0,
         {{"TRYCUT再実行", kCmdRerunTrycut, {}},
          separator,
          {"NCデータ描画", kCmdDrawNcData, {}},
          {"図面表示", kCmdShowDrawing, {}}}},
        {"ヘルプ",
         0,
         {{"ヘルプ", kCmdHelp, {}},
          separator,
          {"バージョン", kCmdVersion, {}},
          {"プログラム情報", kCmdProgramInfo, {}}}},
        {"【新規作成】", kCmdNew, {}},
        {"【データ保存】", kCmdSaveData, {}},
        {"【工程作成】", kCmdCreateProcesses, {}},
        {"【ＮＣデータ作成】", kCmdCreateNcData, {}},
        {"【ＮＣデータ転送】", kCmdTransferNcData, {}},
        {"【終了】", kCmdQuit, {}},
    };
    return t;
  }();
  return tpl;
}

int ClearMainForm(common::Form& main, int mode) {
  static const int kTexts[] = {kTitleEdit,  kMaterialCombo, kControllerCombo, kCoordSystemCombo,
                               kProgramNumberEdit, kStockXEdit, kStockYEdit, kStockZEdit,
                               kOriginXEdit, kOriginYEdit};
  for (int id : kTexts) main.SetText(id, "");
  for (int n = 0; n < 4; ++n) main.SetText(kHoleTypeLabel1 + n, "");
  if (mode < 0) {
    main.ResetEntries(kMaterialCombo);
    main.ResetEntries(kControllerCombo);
    main.ResetEntries(kCoordSystemCombo);
  }
  return 0;
}

int FillMainLists(Context& ctx, common::Form& main) {
  struct ListSource {
    filekeys::Key key;  // numbered: WorkType0, WorkType1, ...
    int list;
  };
  static const ListSource kLists[] = {
      {filekeys::config::kMaterialList, kMaterialCombo},
      {filekeys::config::kControllerList, kControllerCombo},
      {filekeys::config::kCoordSystemList, kCoordSystemCombo},
  };
  for (const auto& source : kLists)
    for (const std::string& value : ReadConfigList(ctx, source.key)) main.AddEntry(source.list, value);
  return ApplyUserStartup(ctx, main);
}

int SetProgramNumberFromClock(Context& ctx, common::Form& main) {
  common::LocalTime now = GetLocalTimeParts(ctx);
  main.SetText(kProgramNumberEdit, common::FormatText("%02d%02d", now.hour, now.minute));
  return 0;
}

int NewJob(Context& ctx, common::Form& main) {
  // Asked before anything changes: No leaves the form and the open job as
  // they were.
  if (JobFileExists(ctx) && !(ctx.ui && ctx.ui->AskYesNo(&main, kAskNewJobText, kBoxCaption))) return 0;
  // What the form shows now, to put back when no new job comes of it.
  static const int kShown[] = {kTitleEdit,   kMaterialCombo, kControllerCombo, kCoordSystemCombo, kProgramNumberEdit,
                               kStockXEdit,  kStockYEdit,    kStockZEdit,      kOriginXEdit,      kOriginYEdit,
                               kHoleTypeLabel1, kHoleTypeLabel1 + 1, kHoleTypeLabel1 + 2, kHoleTypeLabel1 + 3};
  std::vector<std::pair<int, std::string>> shown;
  for (int id : kShown) shown.emplace_back(id, WholeText(main, id));
  const std::filesystem::path open = ctx.currentJobPath;
  ClearMainForm(main, 0);
  ctx.currentJobPath.clear();  // answered already: the new file asks no second time
  if (NewJobFile(ctx, main) < 0) {
    ctx.currentJobPath = open;
    for (const auto& [id, text] : shown) main.SetText(id, text);
    return -1;
  }
  ApplyUserStartup(ctx, main);
  return RunMaterialDialog(ctx, main) < 0 ? -1 : 0;
}

std::string MainWindowCaption(const Context& ctx) {
  const std::string& caption = MainDialogTemplate().caption;
  if (!JobFileExists(ctx)) return caption;
  const std::string title = ReadJobKey(ctx, jobkey::kTitle);
  const std::string file = ctx.currentJobPath.filename().string();
  std::string job = title.empty() ? file : title;
  // A file named otherwise than its title is named too.
  if (!title.empty() && ctx.currentJobPath.stem().string() != title) job += " (" + file + ")";
  return job + " - " + caption;
}

int OpenHoleGroup(Context& ctx, common::Form& main) {
  if (!JobFileExists(ctx)) {
    // The skeleton takes the values already typed into the form.
    if (NewJobFile(ctx, main) < 0) return -1;
    if (RunMaterialDialog(ctx, main) < 0) return -1;
  }
  if (ctx.ui) ctx.ui->RunModal(&main, HoleDialogTemplate(), HoleDialogProc(ctx));
  RefreshHoleTypes(ctx, main);
  return 0;
}

int CreateNcData(Context& ctx, common::Form& main) { return CreateNcData(ctx, main, TrycutPackageStep(true)); }

int CloseMainWindow(Context& ctx, common::Form& main) {
  // No question and nothing saved: values typed but not saved are lost.
  StartMessageWindow(ctx, 0);
  ctx.mainWindowFrame.reset();
  ClearMainForm(main, -1);
  main.End(0);
  return 0;
}

void DispatchMainCommand(Context& ctx, common::Form& main, int id) {
  switch (id) {
    case kTitleButton:
    case kCmdDefinitionFile:
      OpenJobFile(ctx, main);
      break;
    case kProgramNumberButton:
      SetProgramNumberFromClock(ctx, main);
      break;
    case kHoleGroupButton1:
    case kHoleGroupButton1 + 1:
    case kHoleGroupButton1 + 2:
    case kHoleGroupButton1 + 3:
      ctx.currentHoleGroup = id - kHoleGroupButton1 + 1;
      OpenHoleGroup(ctx, main);
      break;
    case kCmdNew:
      NewJob(ctx, main);
      break;
    case kCmdNcFile:
      OpenNcFileInEditor(ctx, main);
      break;
    case kCmdProcesses:
      ctx.processDialogMode = 1;
      OpenProcessDialog(ctx, main);
      break;
    case kCmdQuit:
      CloseMainWindow(ctx, main);
      break;
    case kCmdInitialSettings:
      RunInitialSettingsDialog(ctx, main);
      break;
    case kCmdToolList:
      RunToolListDialog(ctx, main);
      break;
    case kCmdRerunTrycut:
      RerunTrycut(ctx, main);
      break;
    case kCmdDrawNcData:
      ShowNcDrawing(ctx, main);
      break;
    case kCmdShowDrawing:
      SaveJobMainFields(ctx, main);
      WriteDxfDrawing(ctx, main);
      break;
    case kCmdHelp:
      OpenHelpFile(ctx, main);
      break;
    case kCmdVersion:
      ShowVersionBox(ctx, main, "穴明けNC加工システム");
      break;
    case kCmdProgramInfo:
      ShowProgramInfo(ctx, main);
      break;
    case kCmdSaveData:
      SaveJobMainFields(ctx, main);
      break;
    case kCmdCreateProcesses:
      ctx.processDialogMode = 0;
      OpenProcessDialog(ctx, main);
      break;
    case kCmdCreateNcData:
      SaveJobMainFields(ctx, main);
      CreateNcData(ctx, main);
      break;
    case kCmdTransferNcData:
      TransferNcFile(ctx, main);
      break;
    default:  // 40011, 40012 and anything else: nothing
      break;
  }
}

common::DialogProc MainWindowProc(Context& ctx) {
  return [&ctx](common::Form& main, common::DialogEvent event, int id) {
    switch (event) {
      case common::DialogEvent::Init:
        PlaceMainWindow(ctx, main);
        ctx.mainWindowFrame = main.Frame();
        StartMessageWindow(ctx, 1);
        ShowProgramBanner(ctx, main);
        FillMainLists(ctx, main);
        break;
      case common::DialogEvent::Command:
        ctx.mainWindowFrame = main.Frame();
        DispatchMainCommand(ctx, main, id);
        // Any command may open, start or retitle a job.
        if (!main.HasEnded()) main.SetTitle(MainWindowCaption(ctx));
        break;
      case common::DialogEvent::Close:
        CloseMainWindow(ctx, main);
        break;
      default:
        break;
    }
  };
}

}  // namespace drilling
