#include "Drilling/holes/drawing_import_job.h"

#include <algorithm>
#include <cmath>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/nc_format.h"
#include "Drilling/app/number_text.h"
#include "Drilling/app/results.h"
#include "Drilling/holes/hole_dialog.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/job/job_file.h"
#include "Drilling/planning/dimension_tables.h"
#include "Drilling/planning/hole_kinds.h"
#include "common/memory_form.h"
#include "common/profile.h"
#include "common/text.h"
#include "common/textfile.h"
#include "dxf/plan_shapes.h"

namespace drilling {

namespace {

// A drill's point: its length is about 0.3 x its diameter (118 degrees).
constexpr double kDrillPointPerDiameter = 0.3;

// The stock and the origin of the job, all numbers. False after the error.
bool ReadStock(Context& ctx, common::Form* owner, ImportProposal& p) {
  struct Value {
    const filekeys::Key& key;
    double* to;
  };
  const Value values[] = {{jobkey::kStockX, &p.stockXMm}, {jobkey::kStockY, &p.stockYMm},
                          {jobkey::kStockZ, &p.stockZMm}, {jobkey::kOriginX, &p.originMm.xMm},
                          {jobkey::kOriginY, &p.originMm.yMm}};
  for (const Value& v : values) {
    const std::string text = ReadJobKey(ctx, v.key);
    if (!common::ParseNumber(text, v.to)) {
      ReportF(ctx, owner, kKindError, "エラー：定義ファイルの %s [%s] が数値ではありません。材料寸法と加工原点を先に設定して下さい。",
              v.key.name, text.c_str());
      return false;
    }
  }
  return true;
}

// The pairs of concentric diameters the kinds draw (a tap's pilot, a
// counterbore's counterbore), from the rows of their dimension tables. A
// table that cannot be read is a note: its kind is then not recognised.
std::vector<PairedSize> ReadPairs(Context& ctx, std::vector<std::string>& notes) {
  std::vector<PairedSize> pairs;
  for (const HoleKindDescription& kind : HoleKinds()) {
    if (!kind.sizes || !kind.circle.key) continue;
    const int field = HoleFieldControl(kind.circle.key->name);
    const SizeColumn* other = nullptr;
    for (int i = 0; i < kind.sizes->fillCount; ++i)
      if (kind.sizes->fills[static_cast<std::size_t>(i)].field == field) other = &kind.sizes->fills[static_cast<std::size_t>(i)];
    if (!other) continue;
    std::vector<DimensionRow> rows;
    std::string problem;
    if (!ReadDimensionRows(ctx, *kind.sizes, rows, problem))
      notes.push_back(problem + common::FormatText("（%s は円の組から見分けられません）", kind.word));
    for (const DimensionRow& row : rows)
      pairs.push_back({kind.kind, row[static_cast<std::size_t>(kind.sizes->keyColumn)],
                       row[static_cast<std::size_t>(other->column)]});
  }
  return pairs;
}

// The type text of a kind: the first entry of the dialog's type list (the
// HoleType list of Drilling.ini) that names it, else the kind's word.
std::string TypeText(const common::Form& dialog, HoleKind kind) {
  for (int i = 0; i < dialog.EntryCount(kHoleTypeCombo); ++i) {
    std::string entry = dialog.EntryText(kHoleTypeCombo, i);
    if (const HoleKindDescription* k = FindHoleKind(entry); k && k->kind == kind) return entry;
  }
  const HoleKindDescription* k = DescribeHoleKind(kind);
  return k ? k->word : std::string();
}

// The hole definition dialog of one group as the operator would fill it:
// type and diameter entered (the dimension table fills the rest), the depth.
void FillGroup(Context& ctx, const ImportProposal& proposal, const ProposedGroup& g, int number,
               const std::vector<std::pair<double, double>>& depthsMm, common::MemoryForm& form) {
  ClearHoleDialog(ctx, form, true);
  form.SetText(kHoleTypeCombo, TypeText(form, g.kind));
  form.SetText(kHoleDiameterEdit, FormatNumber(g.diameterMm, 0));
  ApplyHoleType(ctx, form);
  auto given = std::find_if(depthsMm.begin(), depthsMm.end(),
                            [&](const std::pair<double, double>& d) { return NearMm(d.first, g.diameterMm); });
  if (given != depthsMm.end()) {
    form.SetText(kHoleDepthEdit, FormatNumber(given->second, 0));
  } else if (form.FullText(kHoleDepthEdit).empty()) {
    const double depth = -(proposal.stockZMm + kDrillPointPerDiameter * g.diameterMm);
    form.SetText(kHoleDepthEdit, FormatNumber(depth, 0));
    ReportF(ctx, nullptr, kKindList, "[%d] %s：深さ %s（貫通：材料厚 %s ＋ ドリル先端 0.3×%s）", number,
            GroupLabel(g).c_str(), FormatNumber(depth, 0).c_str(), FormatNumber(proposal.stockZMm, 0).c_str(),
            FormatNumber(g.diameterMm, 0).c_str());
  }
}

}  // namespace

void Collect(const dxf::Drawing& drawing, const std::vector<std::string>& layers, std::vector<DrawnCircle>& circles,
             std::vector<DrawnSegment>& segments, std::vector<std::string>& notes) {
  dxf::PlanShapes shapes;
  dxf::CollectPlanShapes(drawing, shapes);
  std::vector<bool> chosen(drawing.layers.size(), layers.empty());
  for (const std::string& name : layers) {
    bool found = false;
    for (std::size_t i = 0; i < drawing.layers.size(); ++i)
      if (common::EqualsNoCase(drawing.layers[i], name)) chosen[i] = found = true;
    if (!found) notes.push_back(common::FormatText("画層 %s は図面にありません。", name.c_str()));
  }
  for (const dxf::ShapeCircle& c : shapes.circles)
    if (chosen[static_cast<std::size_t>(c.layer)]) circles.push_back({c.xMm, c.yMm, 2 * c.radiusMm});
  for (const dxf::ShapeEdge& e : shapes.edges) segments.push_back({e.x1Mm, e.y1Mm, e.x2Mm, e.y2Mm});
  if (shapes.notCircles > 0)
    notes.push_back(common::FormatText("傾いた面の円、ブロックで楕円になった円 %d 個は穴にしません。", shapes.notCircles));
  if (shapes.insertsLeftOut > 0)
    notes.push_back(common::FormatText("図面にないブロック、深すぎる入れ子の挿入 %d 個は読みません。", shapes.insertsLeftOut));
  if (shapes.cut) notes.push_back("図形が多すぎるため、途中までしか読んでいません。");
  if (!drawing.problems.empty())
    notes.push_back(common::FormatText("数値でない値のある図形 %zu 個は読みません。", drawing.problems.size()));
}

int ProposeImport(Context& ctx, common::Form* owner, const std::filesystem::path& file, const ImportOptions& options,
                  ImportProposal& proposal) {
  proposal = ImportProposal{};
  proposal.file = file;
  if (!JobFileExists(ctx)) return Report(ctx, owner, kKindError, kNoJobFileText);
  if (!ReadStock(ctx, owner, proposal)) return kFailed;

  std::string bytes, error;
  if (!common::ReadFileBytes(file, bytes))
    return ReportF(ctx, owner, kKindError, "エラー：図面 %s が読めません。", file.string().c_str());
  if (!dxf::ReadDxf(bytes, proposal.drawing, error))
    return ReportF(ctx, owner, kKindError, "エラー：図面 %s は DXF として読めません（%s）。", file.string().c_str(),
                   error.c_str());

  std::vector<DrawnCircle> circles;
  std::vector<DrawnSegment> segments;
  Collect(proposal.drawing, options.layers, circles, segments, proposal.notes);
  proposal.circles = circles.size();
  if (circles.empty()) return ReportF(ctx, owner, kKindError, "エラー：図面 %s に円がありません。", file.string().c_str());

  if (options.cornerMm) {
    proposal.cornerMm = *options.cornerMm;
  } else {
    proposal.outline = FindOutline(segments, proposal.stockXMm, proposal.stockYMm);
    if (!proposal.outline)
      return Report(ctx, owner, kKindError,
                    "エラー：図面に外形（線で閉じた長方形）が見つかりません。材料の左下角の位置を指定して下さい。");
    proposal.cornerMm = {proposal.outline->minXMm, proposal.outline->minYMm};
    if (!NearMm(proposal.outline->WidthMm(), proposal.stockXMm) ||
        !NearMm(proposal.outline->HeightMm(), proposal.stockYMm))
      proposal.notes.push_back(common::FormatText(
          "図面の外形 %s × %s は材料寸法 %s × %s と違います。", FormatNumber(proposal.outline->WidthMm(), 0).c_str(),
          FormatNumber(proposal.outline->HeightMm(), 0).c_str(), FormatNumber(proposal.stockXMm, 0).c_str(),
          FormatNumber(proposal.stockYMm, 0).c_str()));
  }

  proposal.groups = GroupCircles(circles, ReadPairs(ctx, proposal.notes));
  ApplyKindChoices(proposal.groups, options.kinds);
  PlaceInJob(proposal.groups, proposal.cornerMm, proposal.originMm);

  std::size_t outside = 0;
  for (const ProposedGroup& g : proposal.groups)
    for (const PlanePoint& p : g.positions)
      if (p.xMm < -proposal.originMm.xMm - kImportToleranceMm ||
          p.xMm > proposal.stockXMm - proposal.originMm.xMm + kImportToleranceMm ||
          p.yMm < -proposal.originMm.yMm - kImportToleranceMm ||
          p.yMm > proposal.stockYMm - proposal.originMm.yMm + kImportToleranceMm)
        ++outside;
  if (outside > 0) proposal.notes.push_back(common::FormatText("材料の外の穴が %zu 個あります。", outside));
  return kDone;
}

PlanePoint InDrawing(const ImportProposal& proposal, const PlanePoint& jobMm) {
  return {jobMm.xMm + proposal.cornerMm.xMm + proposal.originMm.xMm,
          jobMm.yMm + proposal.cornerMm.yMm + proposal.originMm.yMm};
}

std::vector<std::string> LeftOutLines(const ImportProposal& proposal) { return FitToJob(proposal.groups).leftOut; }

int SaveImport(Context& ctx, common::Form* owner, const ImportProposal& proposal,
               const std::vector<std::pair<double, double>>& depthsMm, bool saveWhatFits) {
  if (!JobFileExists(ctx)) return Report(ctx, owner, kKindError, kNoJobSetText);
  ImportFit fit = FitToJob(proposal.groups);
  for (const std::string& line : fit.leftOut) ReportF(ctx, owner, kKindList, "入りきらない穴：%s", line.c_str());
  if (!fit.leftOut.empty() && !saveWhatFits)
    return Report(ctx, owner, kKindError, "エラー：入りきらない穴があるため、何も保存しません。");
  if (fit.kept.empty()) return Report(ctx, owner, kKindError, "エラー：取り込む穴がありません。");

  // The kept groups in a short visiting order, as the program will pass them.
  JobRoute route;
  std::string error;
  ReadNcStartXY(ctx, route.start.xMm, route.start.yMm, error);  // a bad start: ordered from the origin
  std::vector<int> numbers;
  for (std::size_t i = 0; i < fit.kept.size(); ++i) {
    route.groups[i] = fit.kept[i].positions;
    numbers.push_back(static_cast<int>(i) + 1);
  }
  OrderRouteGroups(route, numbers);

  std::vector<common::ProfileSectionChange> changes;
  for (int n = 1; n <= kHoleGroups; ++n) {
    common::MemoryForm form(HoleDialogTemplate());
    const auto index = static_cast<std::size_t>(n - 1);
    if (index < fit.kept.size()) {
      FillGroup(ctx, proposal, fit.kept[index], n, depthsMm, form);
      const std::vector<PlanePoint>& points = route.groups[index];
      for (std::size_t k = 0; k < points.size(); ++k) {
        form.SetText(kHoleX1Edit + static_cast<int>(k), FormatNumber(points[k].xMm, 1));
        form.SetText(kHoleY1Edit + static_cast<int>(k), FormatNumber(points[k].yMm, 1));
      }
    }
    if (HoleGroupReplacement(ctx, form, n, changes) != kDone) return kFailed;
  }
  if (!WriteJobChanges(ctx, owner, changes)) return kFailed;
  for (std::size_t i = 0; i < fit.kept.size(); ++i)
    ReportF(ctx, owner, kKindList, "穴情報 [%zu] %s：%zu 穴", i + 1, GroupLabel(fit.kept[i]).c_str(),
            fit.kept[i].positions.size());
  ReportF(ctx, owner, kKindList, "図面 %s から穴情報を保存しました。", proposal.file.string().c_str());
  if (!ReadJobKey(ctx, jobkey::kToolName, 1).empty())
    Report(ctx, owner, kKindWarning, "工程が登録されています。穴情報が変わったので、工程作成をやり直して下さい。");
  return kDone;
}

}  // namespace drilling
