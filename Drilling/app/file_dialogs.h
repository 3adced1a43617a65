// The overwrite question asked before an output file is replaced, and the
// file-open dialog with its kinds.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// 0 when the caller may write `path` (nothing is there, or the operator
// agreed), -1 when the operator declined. Anything at the path (a folder
// too) counts as existing.
int ConfirmOverwrite(Context& ctx, const std::filesystem::path& path);

// Kinds: "CAMFILE" (job files), "NCFILE", "DXFFILE" (drawings, from the DXF
// folder), "EXEFILE", "TBLFILE", anything
// else (all files); compared without regard to case. Non-zero when a file was
// chosen (its full path is then in `result`); 0 when cancelled or failed.
// `result` is emptied first. `describe` (optional) gives what the dialog
// shows beside each file's name, under the heading `describeHeading`.
int ChooseFile(Context& ctx, common::Form* owner, std::string& result, std::string_view kind,
               common::FileDescriber describe = {}, std::string_view describeHeading = {});

}  // namespace drilling
