#include "Drilling/holes/import_dialog.h"

#include <string>

#include "Drilling/app/field_check.h"
#include "Drilling/app/file_dialogs.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/app/results.h"
#include "Drilling/holes/hole_dialog.h"
#include "Drilling/job/job_file.h"
#include "Drilling/planning/hole_kinds.h"
#include "common/text.h"

namespace drilling {

namespace {

using common::ControlKind;
using common::ControlTemplate;

constexpr std::size_t kFieldRoom = 64;
// The palette's grey: a group the operator left out.
constexpr int kLeftOutColour = 9;

ControlTemplate Caption(const char* text, int x, int y, int width) {
  return {common::kStaticId, ControlKind::Label, text, x, y + 2, width, 10};
}

// The kind's entry in the kind lists (the order of HoleKinds()).
int KindIndex(HoleKind kind) {
  const HoleKindDescription* k = DescribeHoleKind(kind);
  return k ? static_cast<int>(k - HoleKinds().data()) : -1;
}

// The proposal in the table, the notes and the preview.
void Show(common::Form& dialog, const ImportDialogState& state) {
  const ImportProposal& p = state.proposal;
  dialog.SetText(kImportFileLabel, p.file.string());
  std::string summary = common::FormatText("円 %zu 個、穴グループ %zu", p.circles, p.groups.size());
  if (p.outline)
    summary += common::FormatText("、外形 %s × %s", FormatNumber(p.outline->WidthMm(), 0).c_str(),
                                  FormatNumber(p.outline->HeightMm(), 0).c_str());
  summary += common::FormatText("、材料の左下角 X%s Y%s", FormatNumber(p.cornerMm.xMm, 1).c_str(),
                                FormatNumber(p.cornerMm.yMm, 1).c_str());
  dialog.SetText(kImportSummaryLabel, summary);
  for (int row = 0; row < kImportRows; ++row) {
    const bool used = row < static_cast<int>(p.groups.size());
    for (int id : {kImportKeep1Check + row, kImportKind1Combo + row, kImportSize1Label + row}) dialog.Enable(id, used);
    if (!used) {
      dialog.SetChecked(kImportKeep1Check + row, false);
      dialog.Select(kImportKind1Combo + row, -1);
      dialog.SetText(kImportSize1Label + row, "");
      continue;
    }
    const ProposedGroup& g = p.groups[static_cast<std::size_t>(row)];
    dialog.SetChecked(kImportKeep1Check + row, g.keep);
    dialog.Select(kImportKind1Combo + row, KindIndex(g.kind));
    dialog.SetText(kImportSize1Label + row, common::FormatText("φ%s × %zu 穴", FormatNumber(g.diameterMm, 0).c_str(),
                                                               g.positions.size()));
  }
  dialog.ResetEntries(kImportNotesList);
  for (const std::string& note : p.notes) dialog.AddEntry(kImportNotesList, note);
  for (std::size_t i = kImportRows; i < p.groups.size(); ++i)
    dialog.AddEntry(kImportNotesList, "表に出せない穴グループ：" + GroupLabel(p.groups[i]));
  for (const std::string& line : LeftOutLines(p)) dialog.AddEntry(kImportNotesList, "入りきらない穴：" + line);
  dialog.SetPicture(kImportPreview, ImportPreviewScene(p));
}

// The layers and corner typed: the drawing read again. False after an error
// (the proposal as it was).
bool Reload(Context& ctx, common::Form& dialog, ImportDialogState& state) {
  ImportOptions options = state.options;
  options.layers.clear();
  for (std::string_view rest = WholeText(dialog, kImportLayersEdit); !rest.empty();) {
    const std::size_t comma = rest.find(',');
    std::string_view name = common::Trim(rest.substr(0, comma));
    if (!name.empty()) options.layers.emplace_back(name);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  double x = 0, y = 0;
  const int gotX = ReadNumberField(ctx, dialog, kImportCornerXEdit, kFieldRoom, "左下角 X", &x);
  const int gotY = ReadNumberField(ctx, dialog, kImportCornerYEdit, kFieldRoom, "左下角 Y", &y);
  if (gotX < 0 || gotY < 0) return false;
  if (gotX == 0 && gotY == 0) {
    options.cornerMm.reset();
  } else if (gotX == 0 || gotY == 0) {
    Report(ctx, &dialog, kKindError, "エラー：材料の左下角は X と Y の両方を入力して下さい。");
    return false;
  } else {
    options.cornerMm = PlanePoint{x, y};
  }
  ImportProposal proposal;
  if (ProposeImport(ctx, &dialog, state.file, options, proposal) != kDone) return false;
  state.options = std::move(options);
  state.proposal = std::move(proposal);
  return true;
}

void Save(Context& ctx, common::Form& dialog, ImportDialogState& state) {
  const std::vector<std::string> leftOut = LeftOutLines(state.proposal);
  bool whatFits = false;
  if (!leftOut.empty()) {
    std::string question = "次の穴は定義ファイルに入りきりません。\n";
    for (const std::string& line : leftOut) question += line + "\n";
    question += "入る分だけ保存しますか？";
    if (!(ctx.ui && ctx.ui->AskYesNo(&dialog, question, kBoxCaption))) return;
    whatFits = true;
  }
  if (SaveImport(ctx, &dialog, state.proposal, state.options.depthsMm, whatFits) == kDone) dialog.End(1);
}

void Command(Context& ctx, common::Form& dialog, ImportDialogState& state, int id) {
  if (id >= kImportKeep1Check && id < kImportKeep1Check + kImportRows) {
    const auto row = static_cast<std::size_t>(id - kImportKeep1Check);
    if (row >= state.proposal.groups.size()) return;
    state.proposal.groups[row].keep = dialog.IsChecked(id);
    Show(dialog, state);
    return;
  }
  switch (id) {
    case kImportReloadButton:
      if (Reload(ctx, dialog, state)) Show(dialog, state);
      break;
    case kImportCmdSave:
      Save(ctx, dialog, state);
      break;
    case kImportCmdCancel:
      dialog.End(0);
      break;
    default:
      break;  // Escape does not throw the operator's choices away
  }
}

// A row's kind chosen: the group takes it and joins a group of that kind
// and size.
void KindChosen(common::Form& dialog, ImportDialogState& state, int id) {
  const auto row = static_cast<std::size_t>(id - kImportKind1Combo);
  const int chosen = dialog.Selected(id);
  auto kinds = HoleKinds();
  if (row >= state.proposal.groups.size() || chosen < 0 || chosen >= static_cast<int>(kinds.size())) return;
  state.proposal.groups[row].kind = kinds[static_cast<std::size_t>(chosen)].kind;
  MergeGroups(state.proposal.groups);
  Show(dialog, state);
}

}  // namespace

const common::DialogTemplate& ImportDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "IMPORTDRAWINGDLG";
    t.caption = "図面から読込";
    t.width = 440;
    t.height = 250;
    t.iconId = 102;
    auto& c = t.controls;
    c.push_back(Caption("図面", 4, 4, 30));
    c.push_back({kImportFileLabel, ControlKind::Label, "", 36, 6, 400, 10});
    c.push_back(Caption("画層", 4, 20, 30));
    c.push_back({kImportLayersEdit, ControlKind::Edit, "", 36, 20, 110, 12});
    c.push_back(Caption("材料の左下角 X", 152, 20, 56));
    c.push_back({kImportCornerXEdit, ControlKind::Edit, "", 210, 20, 46, 12});
    c.push_back(Caption("Y", 260, 20, 8));
    c.push_back({kImportCornerYEdit, ControlKind::Edit, "", 270, 20, 46, 12});
    c.push_back({kImportReloadButton, ControlKind::Button, "再読込", 322, 20, 46, 12});
    c.push_back({kImportSummaryLabel, ControlKind::Label, "", 4, 38, 432, 10});
    c.push_back(Caption("取込", 4, 50, 24));
    c.push_back(Caption("種類", 30, 50, 60));
    c.push_back(Caption("穴径・穴数", 96, 50, 80));
    for (int row = 0; row < kImportRows; ++row) {
      const int y = 64 + row * 14;
      c.push_back({kImportKeep1Check + row, ControlKind::Check, "", 8, y, 16, 12});
      c.push_back({kImportKind1Combo + row, ControlKind::ComboList, "", 30, y, 60, 80});
      c.push_back({kImportSize1Label + row, ControlKind::Label, "", 96, y + 2, 90, 10});
    }
    c.push_back({kImportNotesList, ControlKind::ListBox, "", 4, 180, 182, 66});
    c.push_back({kImportPreview, ControlKind::Picture, kDrawingPreviewPicture, 192, 50, 244, 196});
    t.menu = {
        {"【 保 存 】", kImportCmdSave, {}},
        {"【 取 消 】", kImportCmdCancel, {}},
    };
    return t;
  }();
  return tpl;
}

common::DialogProc ImportDialogProc(Context& ctx, std::shared_ptr<ImportDialogState> state) {
  return [&ctx, state](common::Form& dialog, common::DialogEvent event, int id) {
    switch (event) {
      case common::DialogEvent::Init:
        for (int row = 0; row < kImportRows; ++row)
          for (const HoleKindDescription& k : HoleKinds()) dialog.AddEntry(kImportKind1Combo + row, k.word);
        Show(dialog, *state);
        break;
      case common::DialogEvent::Command:
        Command(ctx, dialog, *state, id);
        break;
      case common::DialogEvent::SelectionConfirmed:
        if (id >= kImportKind1Combo && id < kImportKind1Combo + kImportRows) KindChosen(dialog, *state, id);
        break;
      case common::DialogEvent::Close:
        dialog.End(0);
        break;
      case common::DialogEvent::FocusLost:
      case common::DialogEvent::SelectionChanged:
        break;
    }
  };
}

drillview::Scene ImportPreviewScene(const ImportProposal& proposal) {
  drillview::Scene scene = drillview::DrawingScene(proposal.drawing);
  for (std::size_t i = 0; i < proposal.groups.size(); ++i) {
    const ProposedGroup& g = proposal.groups[i];
    const int colour = g.keep ? static_cast<int>(i % kLeftOutColour) : kLeftOutColour;
    for (const PlanePoint& at : g.positions) {
      const PlanePoint p = InDrawing(proposal, at);
      drillview::HoleMark mark;
      mark.x = p.xMm;
      mark.y = p.yMm;
      mark.radius = g.diameterMm / 2;
      mark.colour = colour;
      scene.holes.push_back(mark);
      scene.topBounds.Add(p.xMm - mark.radius, p.yMm - mark.radius);
      scene.topBounds.Add(p.xMm + mark.radius, p.yMm + mark.radius);
    }
    scene.legend.push_back({colour, common::FormatText("%s%s × %zu 穴", g.keep ? "" : "（取込まない）",
                                                       GroupLabel(g).c_str(), g.positions.size())});
  }
  return scene;
}

int ImportFromDrawing(Context& ctx, common::Form& holeDialog) {
  std::string chosen;
  if (ChooseFile(ctx, &holeDialog, chosen, "DXFFILE") == 0 || !ctx.ui) return kFailed;
  auto state = std::make_shared<ImportDialogState>();
  state->file = chosen;
  if (ProposeImport(ctx, &holeDialog, state->file, state->options, state->proposal) != kDone) return kFailed;
  if (ctx.ui->RunModal(&holeDialog, ImportDialogTemplate(), ImportDialogProc(ctx, state)) != 1) return kFailed;
  ShowStoredGroup(ctx, holeDialog, false);
  return kDone;
}

}  // namespace drilling
