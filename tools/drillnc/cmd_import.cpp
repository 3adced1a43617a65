// import: the hole groups of a job from a DXF drawing (the window's
// 図面から読込): the proposal printed, then the four hole groups replaced in
// one write, or nothing written when something does not fit (unless --yes).
#include "Drilling/app/number_text.h"
#include "Drilling/app/results.h"
#include "Drilling/holes/drawing_import_job.h"
#include "Drilling/planning/hole_kinds.h"
#include "common/text.h"
#include "tools/drillnc/headless.h"

namespace drillnc {

namespace {

using namespace drilling;

// "SIZE=VALUE" into the size and the value text. False when malformed.
bool SizeAndValue(const std::string& option, double& size, std::string& value) {
  const std::size_t equals = option.find('=');
  if (equals == std::string::npos) return false;
  std::vector<std::string> parts;
  if (!SplitNumbers(option.substr(0, equals), 1, parts) || !common::ParseNumber(parts[0], &size) || !(size > 0))
    return false;
  value = std::string(common::Trim(option.substr(equals + 1)));
  return !value.empty();
}

}  // namespace

int RunImport(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args, {"--layer", "--corner", "--kind", "--depth"}, {"--yes"}, a, error))
    return session.UsageError(error);
  if (a.positional.size() != 2) return session.UsageError("needs JOB and DRAWING");

  ImportOptions options;
  options.layers = a.All("--layer");
  if (const std::string* corner = a.Last("--corner")) {
    std::vector<std::string> xy;
    PlanePoint at;
    if (!SplitNumbers(*corner, 2, xy) || !common::ParseNumber(xy[0], &at.xMm) || !common::ParseNumber(xy[1], &at.yMm))
      return session.UsageError("--corner needs two numbers X,Y");
    options.cornerMm = at;
  }
  for (const std::string& kind : a.All("--kind")) {
    double size = 0;
    std::string word;
    const HoleKindDescription* named = nullptr;
    if (!SizeAndValue(kind, size, word) || !(named = FindHoleKind(word)))
      return session.UsageError("--kind needs SIZE=KIND, KIND one of ドリル, ザグリ, タップ, リーマ");
    options.kinds.push_back({size, named->kind});
  }
  for (const std::string& depth : a.All("--depth")) {
    double size = 0, z = 0;
    std::string value;
    if (!SizeAndValue(depth, size, value) || !common::ParseNumber(value, &z))
      return session.UsageError("--depth needs SIZE=Z, two numbers");
    options.depthsMm.push_back({size, z});
  }

  if (int started = session.StartOnJob(a.positional[0]); started != kExitOk) return started;
  if (!session.RequireJobFile()) return kExitFailure;
  Context& ctx = session.ctx;

  ImportProposal proposal;
  if (ProposeImport(ctx, nullptr, a.positional[1], options, proposal) != kDone)
    return session.Fail("the job was not changed");
  for (const std::string& note : proposal.notes) session.Print("note: " + note);
  if (proposal.outline) {
    session.Print(common::FormatText("outline %s x %s, lower-left corner X%s Y%s",
                                     FormatNumber(proposal.outline->WidthMm(), 0).c_str(),
                                     FormatNumber(proposal.outline->HeightMm(), 0).c_str(),
                                     FormatNumber(proposal.cornerMm.xMm, 1).c_str(),
                                     FormatNumber(proposal.cornerMm.yMm, 1).c_str()));
  }
  session.Print(common::FormatText("%zu circles, %zu groups", proposal.circles, proposal.groups.size()));
  for (const ProposedGroup& g : proposal.groups)
    session.Print(common::FormatText("  %s: %zu positions", GroupLabel(g).c_str(), g.positions.size()));

  const bool saveWhatFits = a.Has("--yes") || session.options.answer.value_or(false);
  if (SaveImport(ctx, nullptr, proposal, options.depthsMm, saveWhatFits) != kDone)
    return session.Fail(saveWhatFits ? "the job was not changed"
                                     : "the job was not changed (--yes saves what fits)");
  session.Print(ctx.currentJobPath.string());
  return kExitOk;
}

}  // namespace drillnc
