// Command of the DXF drawing: dxf (what the window's 図面表示 does after the
// save: the drawing from the job file, then the viewer).
#include "Drilling/companions/dxf_drawing.h"
#include "tools/drillnc/headless.h"

namespace drillnc {

using namespace drilling;

// dxf: the drawing is written from the job file as it is (nothing is saved
// into it first: the command line has no typed values to save). The drawing
// path is printed last.
int RunDxf(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  if (int started = session.StartOnJobArguments(args, {"--no-view"}, a, JobAccess::Read); started != kExitOk) return started;
  Context& ctx = session.ctx;
  if (!session.RequireJobFile()) return kExitFailure;
  DxfDrawingOptions options;
  options.showViewer = !a.Has("--no-view");
  std::filesystem::path drawing;
  if (WriteDxfDrawing(ctx, nullptr, options, &drawing) != 0) return kExitFailure;
  session.Print(drawing.string());
  // The drawing stands; a viewer that could not start still fails the command.
  return session.ErrorCount() == 0 ? kExitOk : kExitFailure;
}

}  // namespace drillnc
