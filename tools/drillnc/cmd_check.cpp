// check: an NC program read the way the machine would read it, before it
// goes there. Exit 0 without findings, 1 with findings, 2 when the program
// (or the job) cannot be read.
#include <system_error>

#include "Drilling/app/field_check.h"
#include "common/textfile.h"
#include "gcode/gcode_reader.h"
#include "gcode/job_facts.h"
#include "gcode/nc_check.h"
#include "tools/drillnc/headless.h"

namespace fs = std::filesystem;

namespace drillnc {

namespace {

// A program named on the command line: the path as given when something is
// there; otherwise, for a bare name, the file of that name in ncdata.
fs::path ResolveProgramPath(const drilling::Context& ctx, const std::string& argument) {
  fs::path given{argument};
  std::error_code ec;
  if (fs::exists(given, ec) || given.has_parent_path()) return given;
  fs::path inNcFolder = ctx.NcFolder() / given;
  return fs::is_regular_file(inNcFolder, ec) ? inNcFolder : given;
}

}  // namespace

int RunCheck(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args, {"--job", "--rapid"}, {"--calculator-input"}, a, error)) return session.UsageError(error);
  if (a.positional.size() != 1) return session.UsageError("needs PROGRAM");

  if (int started = session.Start(); started != kExitOk) return started;
  drilling::Context& ctx = session.ctx;
  gcode::CheckOptions options;
  if (const std::string* rapid = a.Last("--rapid")) {
    double value = 0;
    int got = drilling::CheckNumberText(ctx, nullptr, *rapid, "--rapid", &value);
    if (got < 0) return kExitUsage;
    if (got == drilling::kNumberBlank || !(value > 0)) return session.UsageError("--rapid must be a feed above 0 (mm/min)");
    options.rapidMmPerMin = value;
  }

  fs::path programPath = ResolveProgramPath(ctx, a.positional[0]);
  std::string bytes;
  std::error_code ec;
  if (!fs::is_regular_file(programPath, ec) || !common::ReadFileBytes(programPath, bytes)) {
    session.Fail("cannot read the program " + programPath.string());
    return kExitUsage;
  }
  gcode::JobFacts job;
  if (const std::string* jobName = a.Last("--job")) {
    fs::path jobPath = session.ResolveJobPath(*jobName);
    if (!gcode::ReadJobFacts(jobPath, job)) {
      session.Fail("cannot read the job " + jobPath.string());
      return kExitUsage;
    }
    if (!job.hasStock) session.Print("note: the job has no complete stock size and origin; the stock checks are skipped");
    options.job = &job;
  }

  gcode::ReaderOptions reader;
  reader.calculatorInput = a.Has("--calculator-input");
  gcode::CheckResult result = gcode::ReadAndCheck(bytes, reader, options);
  for (const std::string& line : result.summary) session.Print(line);
  for (const gcode::Diagnostic& d : result.findings) session.Print(d.Text());
  return result.findings.empty() ? kExitOk : kExitFailure;
}

}  // namespace drillnc
