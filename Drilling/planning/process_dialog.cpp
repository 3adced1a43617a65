#include "Drilling/planning/process_dialog.h"

#include <string>
#include <tuple>
#include <vector>

#include "Drilling/app/field_check.h"
#include "Drilling/app/main_controls.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/outside_programs.h"
#include "Drilling/job/job_file.h"
#include "Drilling/job/job_lock.h"
#include "Drilling/planning/process_generation.h"
#include "Drilling/planning/process_grid.h"
#include "Drilling/planning/process_list.h"
#include "common/profile.h"

namespace drilling {
namespace {

// The fixed texts of the process dialog (a format names what it takes; a
// field name is the name an error gives the field). The captions of the
// controls are in the dialog's template.
constexpr const char* kUnsavedQuestion = "工程は保存してません。\n本当に終了しますか？";
constexpr const char* kNoControllerText = "エラー：制御装置[マシニング]を選択して下さい";
constexpr const char* kNoThicknessText = "エラー：材料厚みを入力して下さい";
constexpr const char* kNoMaterialText = "エラー：材質を選択して下さい";
constexpr const char* kCannotWriteFormat = "エラー：定義ファイル %s に書き込めません。";
constexpr const char* kControllerField = "制御装置";
constexpr const char* kThicknessField = "材料厚み";
constexpr const char* kMaterialField = "材質";

using common::ControlKind;
using common::DialogEvent;

// Grid geometry in dialog units.
constexpr int kLabelX = 4;
constexpr int kLabelWidth = 20;
constexpr int kHeadingY = 4;
constexpr int kFirstRowY = 16;
constexpr int kRowPitch = 14;
constexpr int kCellHeight = 12;
constexpr int kGap = 2;
// The tool name column holds seven full-width characters beside the drop-down
// arrow.
constexpr int kColumnWidths[kProcessColumns] = {78, 28, 16, 16, 16, 28, 28, 16, 28, 34, 24, 24, 14};

unsigned ColumnFlags(int column) {
  return column == kColS || column == kColF || column == kColZ ? common::kRightAlign : common::kCentre;
}

}  // namespace

const common::DialogTemplate& ProcessDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "NCPROCESSDIALOG";
    t.caption = "加工工程作成";
    t.iconId = 101;
    t.controls.push_back({common::kStaticId, ControlKind::Label, "工程", kLabelX, kHeadingY, kLabelWidth, 10,
                          common::kCentre});
    int x = kLabelX + kLabelWidth + kGap;
    for (int column = 0; column < kProcessColumns; ++column) {
      int width = kColumnWidths[column];
      t.controls.push_back({common::kStaticId, ControlKind::Label, kProcessColumnInfo[column].heading, x, kHeadingY,
                            width, 10, common::kCentre});
      x += width + kGap;
    }
    t.width = x + kLabelX;
    for (int row = 1; row <= kProcessRows; ++row) {
      int y = kFirstRowY + (row - 1) * kRowPitch;
      char label[8];
      std::snprintf(label, sizeof label, "[%02d]", row);
      t.controls.push_back({common::kStaticId, ControlKind::Label, label, kLabelX, y + 2, kLabelWidth, 10});
      int cx = kLabelX + kLabelWidth + kGap;
      for (int column = 0; column < kProcessColumns; ++column) {
        int width = kColumnWidths[column];
        if (column == kColToolName)
          t.controls.push_back({ProcessCellId(column, row), ControlKind::ComboEdit, "", cx, y, width, 120});
        else
          t.controls.push_back({ProcessCellId(column, row), ControlKind::Edit, "", cx, y, width, kCellHeight,
                                ColumnFlags(column)});
        cx += width + kGap;
      }
    }
    t.height = kFirstRowY + kProcessRows * kRowPitch + 4;
    // On a small screen the cells scroll under the headings and beside the
    // row labels, which stay in view.
    t.fixedTop = kFirstRowY;
    t.fixedLeft = kLabelX + kLabelWidth + kGap;
    t.menu = {
        {"【保 存】", kCmdProcessSave, {}},
        {"【取 消】", kCmdProcessCancel, {}},
        {"【初期化】", kCmdProcessInitialise, {}},
        {"【ヘルプ】", kCmdProcessHelp, {}},
    };
    return t;
  }();
  return tpl;
}

common::DialogProc ProcessDialogProc(Context& ctx) {
  return [&ctx](common::Form& form, DialogEvent event, int id) {
    switch (event) {
      case DialogEvent::Init:
        FillToolNameBoxes(ctx, form);
        if (ctx.processDialogMode == kProcessModeGenerate)
          GenerateProcesses(ctx, form);
        else if (ctx.processDialogMode == kProcessModeLoad)
          LoadProcesses(ctx, form);
        break;
      case DialogEvent::FocusLost:
        if (id >= kFirstTCell && id <= kLastTCell) CopyToolNumber(form, ProcessCellRow(id));
        ShowCellAsSaved(form, id);
        break;
      case DialogEvent::Command:
        switch (id) {
          case kCmdProcessSave:
            // A generated list asks before it replaces a stored one; a loaded
            // list is that list, edited.
            if (SaveProcesses(ctx, form, ctx.processDialogMode == kProcessModeGenerate) == kDone)
              form.End(kProcessDialogSaved);
            break;
          case kCmdProcessCancel: {
            bool quit = ctx.ui && ctx.ui->AskYesNo(&form, kUnsavedQuestion, kBoxCaption);
            ctx.messageBuffer.clear();
            if (quit) form.End(kProcessDialogClosed);
            break;
          }
          case kCmdProcessInitialise:
            InitialiseProcesses(ctx, form);
            break;
          case kCmdProcessHelp:
            // The program's help file, as the main window's help opens it.
            OpenHelpFile(ctx, form);
            break;
          default:
            break;
        }
        break;
      case DialogEvent::Close:
        ctx.messageBuffer.clear();
        form.End(kProcessDialogClosed);
        break;
      default:
        break;
    }
  };
}

int OpenProcessDialog(Context& ctx, common::Form& main) {
  if (!JobFileExists(ctx)) return Report(ctx, &main, kKindError, kNoJobSetText);

  std::string controller = main.Text(kControllerCombo, jobkey::kController.room);
  if (controller.empty()) return Report(ctx, &main, kKindError, kNoControllerText);
  std::string thickness = main.Text(kStockZEdit, jobkey::kStockZ.room);
  if (thickness.empty()) return Report(ctx, &main, kKindError, kNoThicknessText);
  if (CheckNumberText(ctx, &main, thickness, kThicknessField, nullptr) < 0) return kFailed;
  std::string material = main.Text(kMaterialCombo, jobkey::kMaterial.room);
  if (material.empty()) return Report(ctx, &main, kKindError, kNoMaterialText);
  if (CheckLineText(ctx, &main, controller, kControllerField) < 0 ||
      CheckLineText(ctx, &main, material, kMaterialField) < 0)
    return kFailed;
  // Each is stored with the room of its key: a wider value is refused, not
  // cut (a material cut to its 7 bytes names another condition table).
  const std::tuple<int, filekeys::Key, const char*> kStored[] = {
      {kControllerCombo, jobkey::kController, kControllerField},
      {kStockZEdit, jobkey::kStockZ, kThicknessField},
      {kMaterialCombo, jobkey::kMaterial, kMaterialField}};
  for (const auto& [id, key, name] : kStored)
    if (CheckFitText(ctx, &main, WholeText(main, id), key.room, name) != kDone) return kFailed;

  std::vector<common::ProfileChange> changes = {
      {jobkey::kController.name, controller}, {jobkey::kStockZ.name, thickness}, {jobkey::kMaterial.name, material}};
  {
    JobLock lock(ctx, &main, ctx.currentJobPath);  // one writer at a time, not for the dialog's time
    if (!lock.Held()) return kFailed;
    if (!common::WriteProfileTexts(jobkey::kMainSection, changes, ctx.currentJobPath))
      return ReportF(ctx, &main, kKindError, kCannotWriteFormat, ctx.currentJobPath.string().c_str());
  }

  if (!ctx.ui) return kFailed;
  return ctx.ui->RunModal(&main, ProcessDialogTemplate(), ProcessDialogProc(ctx));
}

}  // namespace drilling
