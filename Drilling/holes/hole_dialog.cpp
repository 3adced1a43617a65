#include "Drilling/holes/hole_dialog.h"

#include <memory>
#include <string>

#include "Drilling/app/field_check.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "Drilling/holes/hole_calculators.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/holes/hole_order.h"
#include "Drilling/holes/import_dialog.h"
#include "Drilling/job/job_file.h"
#include "Drilling/planning/dimension_tables.h"
#include "Drilling/planning/hole_kinds.h"
#include "common/profile.h"
#include "common/text.h"

namespace drilling {

namespace {

constexpr std::size_t kTypeRoom = jobkey::kHoleType.room;
constexpr std::size_t kSizeRoom = jobkey::kHoleDiameter.room;
constexpr const char* kHelpText = "ヘルプファイルは作成中です。";

// The fields a leaving hole diameter empties before its look-up.
constexpr int kDerivedFields[] = {kChamferDepthEdit, kPilotDiameterEdit, kPilotDepthEdit, kCboreDiameterEdit,
                                  kCboreDepthEdit};

// Any close request: the fields are emptied and nothing is saved.
void CloseHoleDialog(Context& ctx, common::Form& dialog) {
  ClearHoleDialog(ctx, dialog, false);
  dialog.End(0);
}

void HoleCommand(Context& ctx, common::Form& dialog, int id) {
  if (id >= kHoleRow1Button && id < kHoleRow1Button + kHoleRows) {
    DeletePositionRow(dialog, id - kHoleRow1Button + 1);
    return;
  }
  switch (id) {
    case kHoleCmdSave:
      if (SaveHoleGroup(ctx, dialog) == kDone) CloseHoleDialog(ctx, dialog);
      break;
    case kHoleCmdCancel:
      CloseHoleDialog(ctx, dialog);
      break;
    case kHoleCmdHelp:
      Report(ctx, &dialog, kKindInformation, kHelpText);
      break;
    case kHoleCmdLoad:
      // The group is loaded when the dialog opens; loading again would mix
      // the file into what the operator has typed.
      break;
    case kHoleCmdCircle:
      if (ctx.ui) ctx.ui->RunModal(&dialog, BoltCircleDialogTemplate(), BoltCircleDialogProc(ctx));
      break;
    case kHoleCmdMoveBase:
      if (ctx.ui) ctx.ui->RunModal(&dialog, CoordinateCopyDialogTemplate(), CoordinateCopyDialogProc(ctx));
      break;
    case kHoleCmdOrder:
      OptimiseHoleRows(ctx, dialog);
      break;
    case kHoleCmdImport:
      ImportFromDrawing(ctx, dialog);
      break;
    default:
      // Escape (command 2) does not close this dialog: unsaved positions
      // would be lost to a stray key.
      break;
  }
}

}  // namespace

void ShowStoredGroup(Context& ctx, common::Form& dialog, bool fillList) {
  ClearHoleDialog(ctx, dialog, fillList);
  LoadHoleGroup(ctx, dialog, [](Context&, common::Form& d) { EnableHoleTypeFields(d); });
}

void ClearHoleDialog(Context& ctx, common::Form& dialog, bool fillList) {
  dialog.SetText(kHoleTypeCombo, "");
  for (int id = kHoleDiameterEdit; id <= kCboreDepthEdit; ++id)
    if (id != kPitchEdit) dialog.SetText(id, "");
  for (int row = 0; row < kHoleRows; ++row) {
    dialog.SetText(kHoleX1Edit + row, "");
    dialog.SetText(kHoleY1Edit + row, "");
  }
  if (!fillList) return;
  for (const std::string& type : ReadConfigList(ctx, filekeys::config::kHoleTypeList))
    dialog.AddEntry(kHoleTypeCombo, type);
}

void EnableHoleTypeFields(common::Form& dialog) {
  const HoleKindDescription* kind = FindHoleKind(dialog.Text(kHoleTypeCombo, kTypeRoom));
  if (!kind) return;
  for (int id : kind->disabledFields)
    if (id != 0) dialog.Enable(id, false);
  for (int id : kind->enabledFields)
    if (id != 0) dialog.Enable(id, true);
}

void LookUpHoleSizes(Context& ctx, common::Form& dialog) {
  const std::string type = dialog.Text(kHoleTypeCombo, kTypeRoom);
  const HoleKindDescription* kind = FindHoleKind(type);
  if (!kind || !kind->sizes) return;
  double diameter = 0;
  if (ReadNumberField(ctx, dialog, kHoleDiameterEdit, kSizeRoom, "穴　径", &diameter) < 0) return;
  LookUpSizesForHoleType(ctx, dialog, type);
}

void ApplyHoleType(Context& ctx, common::Form& dialog) {
  if (dialog.Text(kHoleTypeCombo, kTypeRoom).empty()) return;
  EnableHoleTypeFields(dialog);
  if (!dialog.Text(kHoleDiameterEdit, kSizeRoom).empty()) LookUpHoleSizes(ctx, dialog);
}

void HoleDiameterLeft(Context& ctx, common::Form& dialog) {
  if (dialog.Text(kHoleTypeCombo, kTypeRoom).empty()) return;
  for (int id : kDerivedFields) dialog.SetText(id, "");
  LookUpHoleSizes(ctx, dialog);
}

void DeletePositionRow(common::Form& dialog, int row) {
  if (row < 1 || row > kHoleRows) return;
  auto x = [](int r) { return kHoleX1Edit + r - 1; };
  auto y = [](int r) { return kHoleY1Edit + r - 1; };
  dialog.SetText(x(row), "");
  dialog.SetText(y(row), "");
  for (int k = row; k < kHoleRows; ++k) {
    std::string nextX = dialog.Text(x(k + 1), kSizeRoom);
    std::string nextY = dialog.Text(y(k + 1), kSizeRoom);
    if (nextX.empty() || nextY.empty()) break;
    dialog.SetText(x(k), nextX);
    dialog.SetText(y(k), nextY);
    dialog.SetText(x(k + 1), "");
    dialog.SetText(y(k + 1), "");
  }
}

common::DialogProc HoleDialogProc(Context& ctx) {
  // The diameter as stored or as last looked up: leaving the field with it
  // unchanged (only passing through) looks nothing up, so sizes the operator
  // changed by hand stay.
  auto shownDiameter = std::make_shared<std::string>();
  return [&ctx, shownDiameter](common::Form& dialog, common::DialogEvent event, int id) {
    switch (event) {
      case common::DialogEvent::Init:
        dialog.SetTitle(common::FormatText(kHoleDialogTitleFormat, ctx.currentHoleGroup));
        ShowStoredGroup(ctx, dialog, true);
        *shownDiameter = WholeText(dialog, kHoleDiameterEdit);
        break;
      case common::DialogEvent::Command:
        HoleCommand(ctx, dialog, id);
        // An import shows the group as it saved it: its diameter is the one
        // shown, so passing through the field looks nothing up.
        if (id == kHoleCmdImport) *shownDiameter = WholeText(dialog, kHoleDiameterEdit);
        break;
      case common::DialogEvent::FocusLost:
        if (id == kHoleDiameterEdit) {
          const std::string diameter = WholeText(dialog, kHoleDiameterEdit);
          if (!diameter.empty() && diameter == *shownDiameter) break;
          *shownDiameter = diameter;
          HoleDiameterLeft(ctx, dialog);
        }
        break;
      case common::DialogEvent::SelectionConfirmed:
        if (id == kHoleTypeCombo) {
          // Selected again so that the edit part shows the entry before the
          // type is read.
          int current = dialog.Selected(kHoleTypeCombo);
          if (current >= 0) dialog.Select(kHoleTypeCombo, current);
          ApplyHoleType(ctx, dialog);
          *shownDiameter = WholeText(dialog, kHoleDiameterEdit);
        }
        break;
      case common::DialogEvent::Close:
        CloseHoleDialog(ctx, dialog);
        break;
      case common::DialogEvent::SelectionChanged:
        break;
    }
  };
}

}  // namespace drilling
