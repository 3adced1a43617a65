// order: the positions of each hole group put in a short visiting order
// (the order of the hole definition dialog's 加工順最適化), with the rapid
// path and the program's estimated run time before and after. Only the
// position keys of the groups whose order changed are written, in one write.
#include <map>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/holes/hole_order.h"
#include "Drilling/job/job_file.h"
#include "Drilling/ncout/nc_writer.h"
#include "common/profile.h"
#include "common/text.h"
#include "common/textfile.h"
#include "gcode/gcode_reader.h"
#include "gcode/nc_check.h"
#include "tools/drillnc/headless.h"

namespace drillnc {

namespace {

using namespace drilling;

// The estimated run time of the job's program (drillnc check's estimate)
// with the positions of `route` in place of the stored ones; false with
// `why` when no program can be composed (no processes yet, a process
// incomplete).
bool EstimateSeconds(Context& ctx, const JobRoute& route, double& seconds, std::string& why) {
  std::map<int, std::vector<HolePoint>> positions;
  for (int g = 1; g <= kHoleGroups; ++g)
    for (const PlanePoint& p : route.groups[g - 1]) positions[g].push_back({p.xMm, p.yMm});
  std::string text;
  if (ComposeNcProgram(ctx, positions, text) != 0) {
    why = ctx.messageBuffer;
    ctx.messageBuffer.clear();
    return false;
  }
  gcode::Program program = gcode::ReadProgram(common::ToCp932CrLf(text));
  seconds = gcode::RunSeconds(program, gcode::kDefaultRapidMmPerMin);
  return true;
}

double GroupPathMm(const JobRoute& route, int group) {
  const std::vector<PlanePoint>& points = route.groups[group - 1];
  return RapidPathMm(route.start, points, GivenOrder(points.size()), VisitsOf(route, group));
}

std::string Mm(double value) { return FormatNumber(value, 1); }

}  // namespace

int RunOrder(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args, {}, {}, a, error)) return session.UsageError(error);
  if (a.positional.empty() || a.positional.size() > 2) return session.UsageError("needs JOB and optionally GROUP");
  std::vector<int> groups = {1, 2, 3, 4};
  if (a.positional.size() == 2) {
    const std::string& group = a.positional[1];
    if (group.size() != 1 || group[0] < '1' || group[0] > '4') return session.UsageError("GROUP is 1, 2, 3 or 4");
    groups = {group[0] - '0'};
  }

  if (int started = session.StartOnJob(a.positional[0]); started != kExitOk) return started;
  if (!session.RequireJobFile()) return kExitFailure;
  Context& ctx = session.ctx;

  JobRoute before;
  if (!ReadJobRoute(ctx, nullptr, before)) return session.Fail("nothing was changed");
  JobRoute after = before;
  OrderRouteGroups(after, groups);

  std::vector<common::ProfileSectionChange> changes;
  for (int g : groups) {
    const std::string section = jobkey::HoleSection(g);
    const auto& texts = after.texts[g - 1];
    if (texts.empty()) {
      session.Print(common::FormatText("[%s] no positions", section.c_str()));
      continue;
    }
    if (texts == before.texts[g - 1]) {
      session.Print(common::FormatText("[%s] %zu positions: path %s mm, kept (no shorter order found)",
                                       section.c_str(), texts.size(), Mm(GroupPathMm(after, g)).c_str()));
      continue;
    }
    session.Print(common::FormatText("[%s] %zu positions: path %s mm -> %s mm", section.c_str(), texts.size(),
                                     Mm(GroupPathMm(before, g)).c_str(), Mm(GroupPathMm(after, g)).c_str()));
    for (std::size_t k = 0; k < texts.size(); ++k) {
      const int row = static_cast<int>(k) + 1;
      changes.push_back({section, jobkey::PositionKey('X', row), texts[k].first});
      changes.push_back({section, jobkey::PositionKey('Y', row), texts[k].second});
    }
  }

  double beforeSeconds = 0, afterSeconds = 0;
  std::string why;
  if (!EstimateSeconds(ctx, before, beforeSeconds, why)) {
    session.Print("time not estimated: " + (why.empty() ? std::string("no NC program can be made") : why));
  } else if (EstimateSeconds(ctx, after, afterSeconds, why)) {
    session.Print("time " + gcode::RunTimeText(beforeSeconds) + " -> " + gcode::RunTimeText(afterSeconds));
  }

  if (changes.empty()) return kExitOk;
  if (!common::WriteProfileChanges(changes, ctx.currentJobPath))
    return session.Fail("cannot write the job file " + ctx.currentJobPath.string() + "; nothing was changed");
  session.Print(ctx.currentJobPath.string());
  return kExitOk;
}

}  // namespace drillnc
