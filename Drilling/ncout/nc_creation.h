// The NC creation driver behind "【ＮＣデータ作成】": checks that the job
// names an NC file and a FANUC controller, runs the NC program writer,
// checks that the program is there and hands it to the TRYCUT package when
// a TRYCUT executable is configured.
#pragma once

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

struct NcCreationOptions {
  // False: the TRYCUT package is written but the simulator is not started
  // (the command line's --no-sim).
  bool startSimulator = true;
};

// 0, or -1 after every failure has been reported with kind -1. The form is
// the main window (its program number field decides whether a missing NC
// file name is an error). CreateNcData(ctx, main) of the command table is
// this with the default options.
int CreateNcData(Context& ctx, common::Form& main, const NcCreationOptions& options);

}  // namespace drilling
