#include "Drilling/planning/tool_list_dialog.h"

#include <string>

#include "Drilling/app/field_check.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/planning/tool_table.h"

namespace drilling {
namespace {

using common::ControlKind;
using common::DialogEvent;

constexpr const char* kToolTableReadText = "現在の工具テーブルを読込ました。";

ToolListFields FieldsOf(const common::Form& form) {
  ToolListFields f;
  // Whole texts: the update refuses what does not fit instead of cutting it.
  f.name = WholeText(form, kToolNameCombo);
  f.diameter = WholeText(form, kToolDiameterEdit);
  f.t = WholeText(form, kToolTEdit);
  f.h = WholeText(form, kToolHEdit);
  f.d = WholeText(form, kToolDEdit);
  return f;
}

void ShowSelectedPocket(common::Form& form) {
  int index = form.Selected(kPocketList);
  if (index < 0) return;
  ToolListFields f = SplitToolListLine(form.EntryText(kPocketList, index));
  form.SetText(kToolNameCombo, f.name);
  form.SetText(kToolDiameterEdit, f.diameter);
  form.SetText(kToolTEdit, f.t);
  form.SetText(kToolHEdit, f.h);
  form.SetText(kToolDEdit, f.d);
}

void CopyTToOffsets(common::Form& form) {
  std::string t = form.Text(kToolTEdit, kToolNumberRoom);
  if (t.empty()) return;
  form.SetText(kToolHEdit, t);
  form.SetText(kToolDEdit, t);
}

}  // namespace

const common::DialogTemplate& ToolListDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "MCTOOLLISTDIALOG";
    t.caption = "マシニング・マガジン工具リスト";
    t.width = 250;
    t.height = 206;
    t.iconId = 101;
    t.controls = {
        // Headings and fields stand over the list's columns: a list line is
        // name 21, diameter 9, T 7, H 7 characters, then D; a character is 4
        // dialog units and the list's text starts 1 unit inside its frame.
        {common::kStaticId, ControlKind::Label, "工具名", 7, 4, 80, 10},
        {common::kStaticId, ControlKind::Label, "工具径", 91, 4, 34, 10},
        {common::kStaticId, ControlKind::Label, "Ｔ", 127, 4, 26, 10},
        {common::kStaticId, ControlKind::Label, "Ｈ", 155, 4, 26, 10},
        {common::kStaticId, ControlKind::Label, "Ｄ", 183, 4, 26, 10},
        {kToolNameCombo, ControlKind::ComboEdit, "", 6, 16, 82, 120},
        {kToolDiameterEdit, ControlKind::Edit, "", 90, 16, 34, 14},
        {kToolTEdit, ControlKind::Edit, "", 126, 16, 26, 14},
        {kToolHEdit, ControlKind::Edit, "", 154, 16, 26, 14},
        {kToolDEdit, ControlKind::Edit, "", 182, 16, 26, 14},
        {kPocketList, ControlKind::ListBox, "", 6, 38, 238, 162, common::kFixedFont},
    };
    t.menu = {
        {"【 更 新 】", kCmdToolUpdate, {}},
        {"【 削 除 】", kCmdToolDelete, {}},
        {"【 終 了 】", kCmdToolEnd, {}},
    };
    return t;
  }();
  return tpl;
}

int RefreshToolList(Context& ctx, common::Form& window) {
  std::filesystem::path path;
  if (int r = LocateToolTable(ctx, &window, ToolTablePurpose::List, path); r != kDone) return r;
  window.ResetEntries(kPocketList);
  for (const MagazinePocket& pocket : ReadMagazinePockets(path))
    window.AddEntry(kPocketList, FormatToolListLine(pocket));
  Report(ctx, &window, kKindList, kToolTableReadText);
  return kDone;
}

common::DialogProc ToolListDialogProc(Context& ctx) {
  return [&ctx](common::Form& form, DialogEvent event, int id) {
    switch (event) {
      case DialogEvent::Init:
        for (const std::string& name : ReadToolNameList(ctx)) form.AddEntry(kToolNameCombo, name);
        RefreshToolList(ctx, form);
        break;
      case DialogEvent::SelectionChanged:
        if (id == kPocketList) ShowSelectedPocket(form);
        break;
      case DialogEvent::FocusLost:
        if (id == kToolTEdit) CopyTToOffsets(form);
        break;
      case DialogEvent::Command:
        switch (id) {
          case kCmdToolUpdate:
            if (UpdateMagazinePocket(ctx, &form, FieldsOf(form)) == kDone) RefreshToolList(ctx, form);
            break;
          case kCmdToolDelete:
            if (DeleteMagazinePocket(ctx, &form, WholeText(form, kToolTEdit)) == kDone)
              RefreshToolList(ctx, form);
            break;
          case kCmdToolEnd:
            form.End(0);
            break;
          default:
            break;
        }
        break;
      case DialogEvent::Close:
        form.End(0);
        break;
      default:
        break;
    }
  };
}

int RunToolListDialog(Context& ctx, common::Form& main) {
  if (!ctx.ui) return -1;
  return ctx.ui->RunModal(&main, ToolListDialogTemplate(), ToolListDialogProc(ctx));
}

}  // namespace drilling
