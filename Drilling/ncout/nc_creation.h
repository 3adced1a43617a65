// The NC creation driver behind "【ＮＣデータ作成】": checks that the job
// names an NC file and a FANUC controller, runs the NC program writer,
// checks that the program is there, reads it back and compares it with the
// job (nc_verify.h: a difference fails the creation, the file stays for
// inspection) and, when a TRYCUT executable is configured, runs the TRYCUT
// step its caller hands over (the package is a companion output, built above
// this folder). The last line listed names the verified program and its
// holes per tool.
#pragma once

#include <functional>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// What runs after the program is written when TRYCUT/FILE names an existing
// executable: `trycutExe` is that value, `ncPath` the written program. Its
// result is not looked at: it reports its own failures, and the program
// stands either way.
using TrycutStep = std::function<int(Context& ctx, common::Form* main, std::string_view trycutExe,
                                     std::string_view ncPath)>;

// 0, or -1 after every failure has been reported with kind -1. The form is
// the main window (its program number field decides whether a missing NC
// file name is an error). An empty `trycut` writes no package. The command
// table's CreateNcData(ctx, main) is this with the TRYCUT package.
int CreateNcData(Context& ctx, common::Form& main, const TrycutStep& trycut);

}  // namespace drilling
