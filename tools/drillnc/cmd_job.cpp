// Commands over the job definition file: new, hole, show. They follow the
// operator's road through the same part functions over in-memory forms.
#include <system_error>

#include "Drilling/app/field_check.h"
#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/job/job_file.h"
#include "Drilling/job/material_dialog.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "tools/drillnc/headless.h"

namespace fs = std::filesystem;

namespace drillnc {

namespace {

using namespace drilling;

// Longest texts the forms keep (code page 932 bytes); longer ones would be
// cut silently, so the command refuses them.
constexpr std::size_t kTitleMax = jobkey::kTitle.room - 1;
constexpr std::size_t kControllerMax = jobkey::kController.room - 1;
constexpr std::size_t kShortMax = jobkey::kMaterial.room - 1;  // material, coordinate system, program number
constexpr std::size_t kSizeMax = jobkey::kHoleDiameter.room - 1;
constexpr std::size_t kHoleTypeMax = jobkey::kHoleType.room - 1;
static_assert(jobkey::kCoordSystem.room - 1 == kShortMax && jobkey::kProgramNumber.room - 1 == kShortMax &&
              jobkey::kStockX.room - 1 == kSizeMax && jobkey::kPositionX.room - 1 == kSizeMax);

bool TooLong(const std::string* value, std::size_t maxBytes) {
  return value && common::Cp932Width(*value) > maxBytes;
}

bool IsNumber(std::string_view text) {
  std::vector<std::string> parts;
  return SplitNumbers(text, 1, parts);
}

int OriginChoice(std::string_view word) {
  static const char* const kWords[] = {"ll", "ul", "lr", "ur", "c"};
  for (int i = 0; i < 5; ++i)
    if (common::EqualsNoCase(word, kWords[i])) return i;
  return -1;
}

}  // namespace

// new: 【新規作成】 then 【データ保存】 over the main form.
int RunNew(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args, {"--title", "--material", "--stock", "--origin", "--controller", "--coord", "--program"}, {},
                      a, error))
    return session.UsageError(error);
  if (!a.positional.empty()) return session.UsageError("unexpected argument " + a.positional.front());

  const std::string* title = a.Last("--title");
  const std::string* material = a.Last("--material");
  const std::string* origin = a.Last("--origin");
  const std::string* controller = a.Last("--controller");
  const std::string* coord = a.Last("--coord");
  const std::string* program = a.Last("--program");
  std::vector<std::string> stock;
  if (const std::string* s = a.Last("--stock"); s && !SplitNumbers(*s, 3, stock))
    return session.UsageError("--stock needs three numbers X,Y,Z");
  int originChoice = -1;
  if (origin && (originChoice = OriginChoice(*origin)) < 0) return session.UsageError("--origin is one of ll, ul, lr, ur, c");
  if (origin && stock.empty()) return session.UsageError("--origin needs --stock");
  if (TooLong(title, kTitleMax)) return session.UsageError("--title is longer than 63 bytes");
  if (TooLong(material, kShortMax)) return session.UsageError("--material is longer than 7 bytes");
  if (TooLong(controller, kControllerMax)) return session.UsageError("--controller is longer than 31 bytes");
  if (TooLong(coord, kShortMax)) return session.UsageError("--coord is longer than 7 bytes");
  for (const std::string& s : stock)
    if (common::Cp932Width(s) > kSizeMax) return session.UsageError("a --stock value is longer than 15 bytes");
  if (program && (program->empty() || program->size() > kShortMax ||
                  program->find_first_not_of("0123456789") != std::string::npos))
    return session.UsageError("--program is 1 to 7 digits");

  if (int started = session.Start(); started != kExitOk) return started;
  Context& ctx = session.ctx;
  // A line break would start a line of its own in the job file.
  const std::pair<const char*, const std::string*> texts[] = {
      {"--title", title}, {"--material", material}, {"--controller", controller}, {"--coord", coord}};
  for (const auto& [name, value] : texts)
    if (value && CheckLineText(ctx, nullptr, *value, name) != 0) return kExitFailure;
  auto main = session.MainForm();

  // 【新規作成】: the form emptied, the title, the skeleton.
  ClearMainForm(*main, 0);
  main->SetText(kTitleEdit, title ? *title : TimeBasedTitle(GetLocalTimeParts(ctx)));
  if (SetNewJobPath(ctx, *main) != kDone || ctx.currentJobPath.empty()) return session.Fail("no job file was set");
  if (!session.LockJob()) return kExitFailure;
  std::error_code ec;
  const bool existed = fs::exists(ctx.currentJobPath, ec);
  if (WriteJobSkeleton(ctx, *main) != kDone) return kExitFailure;
  if (existed && !session.options.answer.value_or(false))
    return session.Fail(ctx.currentJobPath.string() + " exists and was not overwritten (--yes overwrites)");
  ApplyUserStartup(ctx, *main);

  // The material definition dialog: the operator types what was given and
  // saves; without --stock it is cancelled.
  session.ui.modalHandlers["INPUTWORKSIZEDLG"] = [&](common::Form& form) {
    // The scripted Ui runs every modal dialog over an in-memory form.
    auto& dialog = dynamic_cast<common::MemoryForm&>(form);
    if (stock.empty()) {
      dialog.Click(kSettingCancel);
      return;
    }
    dialog.SetText(kMaterialSizeXEdit, stock[0]);
    dialog.SetText(kMaterialSizeYEdit, stock[1]);
    dialog.SetText(kMaterialThicknessEdit, stock[2]);
    if (material) dialog.SetText(kMaterialNameCombo, *material);
    if (originChoice >= 0)
      dialog.CheckRadio(kOriginLowerLeftRadio, kOriginCentreRadio, kOriginLowerLeftRadio + originChoice);
    dialog.Click(kSettingSave);
  };
  int defined = RunMaterialDialog(ctx, *main);
  if (!stock.empty() && defined < 0)
    return session.Fail("the material definition needs X, Y, Z and a material (--material, or a preset)");
  if (stock.empty() && material) main->SetText(kMaterialCombo, *material);

  if (controller) main->SetText(kControllerCombo, *controller);
  if (coord) main->SetText(kCoordSystemCombo, *coord);
  if (program) main->SetText(kProgramNumberEdit, *program);

  // 【データ保存】
  if (SaveJobMainFields(ctx, *main) != kDone) return kExitFailure;
  session.Print(ctx.currentJobPath.string());
  return kExitOk;
}

int RunHole(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args,
                      {"--type", "--diameter", "--depth", "--chamfer", "--pilot-diameter", "--pilot-depth",
                       "--cbore-diameter", "--cbore-depth", "--at"},
                      {}, a, error))
    return session.UsageError(error);
  if (a.positional.size() != 2) return session.UsageError("needs JOB and GROUP");
  const std::string& group = a.positional[1];
  if (group.size() != 1 || group[0] < '1' || group[0] > '4') return session.UsageError("GROUP is 1, 2, 3 or 4");

  struct SizeOption {
    const char* name;
    int control;
  };
  static const SizeOption kSizes[] = {
      {"--diameter", kHoleDiameterEdit},         {"--depth", kHoleDepthEdit},
      {"--chamfer", kChamferDepthEdit},          {"--pilot-diameter", kPilotDiameterEdit},
      {"--pilot-depth", kPilotDepthEdit},        {"--cbore-diameter", kCboreDiameterEdit},
      {"--cbore-depth", kCboreDepthEdit},
  };
  for (const SizeOption& s : kSizes) {
    const std::string* v = a.Last(s.name);
    if (v && (!IsNumber(*v) || v->size() > kSizeMax))
      return session.UsageError(std::string(s.name) + " needs a number of at most 15 characters");
  }
  const std::string* type = a.Last("--type");
  if (type && (type->empty() || TooLong(type, kHoleTypeMax))) return session.UsageError("--type is 1 to 31 bytes");
  std::vector<std::vector<std::string>> positions;
  for (const std::string& at : a.All("--at")) {
    std::vector<std::string> xy;
    if (!SplitNumbers(at, 2, xy) || xy[0].size() > kSizeMax || xy[1].size() > kSizeMax)
      return session.UsageError("--at needs two numbers X,Y");
    positions.push_back(xy);
  }
  if (positions.size() > static_cast<std::size_t>(kHoleRows)) return session.UsageError("at most 20 positions");

  if (int started = session.Start(); started != kExitOk) return started;
  Context& ctx = session.ctx;
  if (type && CheckLineText(ctx, nullptr, *type, "--type") != 0) return kExitFailure;
  if (!session.OpenJob(a.positional[0])) return kExitFailure;
  ctx.currentHoleGroup = group[0] - '0';

  common::MemoryForm dialog(HoleDialogTemplate());
  if (LoadHoleGroup(ctx, dialog) != kDone) return kExitFailure;
  const std::string storedType = WholeText(dialog, kHoleTypeCombo);
  const std::string storedDiameter = WholeText(dialog, kHoleDiameterEdit);
  if (type) dialog.SetText(kHoleTypeCombo, *type);
  for (const SizeOption& s : kSizes)
    if (const std::string* v = a.Last(s.name)) dialog.SetText(s.control, *v);
  // A changed type or diameter fills the derived sizes from the dimension
  // tables the way the dialog does when the operator picks the type or
  // changes the diameter; the sizes given here win over the table's. The
  // stored type or diameter given again looks nothing up: the stored sizes
  // (perhaps not the table's) stay.
  const std::string* diameter = a.Last("--diameter");
  if (type && *type != storedType)
    ApplyHoleType(ctx, dialog);
  else if (diameter && *diameter != storedDiameter)
    HoleDiameterLeft(ctx, dialog);
  for (const SizeOption& s : kSizes)
    if (const std::string* v = a.Last(s.name)) dialog.SetText(s.control, *v);
  if (!positions.empty()) {
    for (int row = 0; row < kHoleRows; ++row) {
      bool given = row < static_cast<int>(positions.size());
      dialog.SetText(kHoleX1Edit + row, given ? positions[row][0] : "");
      dialog.SetText(kHoleY1Edit + row, given ? positions[row][1] : "");
    }
  }
  return SaveHoleGroup(ctx, dialog) == kDone ? kExitOk : kExitFailure;
}

int RunShow(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  if (int started = session.StartOnJobArguments(args, {}, a, JobAccess::Read); started != kExitOk) return started;
  Context& ctx = session.ctx;

  common::MemoryForm main(MainDialogTemplate());
  if (ReadJobFile(ctx, main) != 0) return kExitFailure;
  auto line = [&session](std::string_view key, std::string_view value) {
    session.Print(std::string(key) + " = " + std::string(value));
  };
  line("file", ctx.currentJobPath.string());
  session.Print(common::FormatText("[%s]", jobkey::kMainSection));
  line(jobkey::kTitle.name, main.FullText(kTitleEdit));
  line(jobkey::kMaterial.name, main.FullText(kMaterialCombo));
  line(jobkey::kStockX.name, main.FullText(kStockXEdit));
  line(jobkey::kStockY.name, main.FullText(kStockYEdit));
  line(jobkey::kStockZ.name, main.FullText(kStockZEdit));
  line(jobkey::kOriginX.name, main.FullText(kOriginXEdit));
  line(jobkey::kOriginY.name, main.FullText(kOriginYEdit));
  line(jobkey::kController.name, main.FullText(kControllerCombo));
  line(jobkey::kCoordSystem.name, main.FullText(kCoordSystemCombo));
  line(jobkey::kProgramNumber.name, main.FullText(kProgramNumberEdit));
  line(jobkey::kNcFile.name, ReadJobKey(ctx, jobkey::kNcFileAsFormed));

  static const std::pair<filekeys::Key, int> kHoleFields[] = {
      {jobkey::kHoleType, kHoleTypeCombo},           {jobkey::kHoleDiameter, kHoleDiameterEdit},
      {jobkey::kHoleDepth, kHoleDepthEdit},          {jobkey::kChamferDepth, kChamferDepthEdit},
      {jobkey::kPilotDiameter, kPilotDiameterEdit},  {jobkey::kPilotDepth, kPilotDepthEdit},
      {jobkey::kCboreDiameter, kCboreDiameterEdit},  {jobkey::kCboreDepth, kCboreDepthEdit},
  };
  for (int n = 1; n <= kHoleGroups; ++n) {
    ctx.currentHoleGroup = n;
    common::MemoryForm dialog(HoleDialogTemplate());
    if (LoadHoleGroup(ctx, dialog) != kDone) return kExitFailure;
    session.Print(common::FormatText("[%s]", jobkey::HoleSection(n).c_str()));
    for (const auto& [key, control] : kHoleFields) line(key.name, dialog.FullText(control));
    for (int row = 0; row < kHoleRows; ++row) {
      std::string x = dialog.FullText(kHoleX1Edit + row);
      std::string y = dialog.FullText(kHoleY1Edit + row);
      if (x.empty() && y.empty()) break;
      session.Print(common::FormatText("X%d = %s  Y%d = %s", row + 1, x.c_str(), row + 1, y.c_str()));
    }
  }
  return kExitOk;
}

}  // namespace drillnc
