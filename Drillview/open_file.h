// A file opened for viewing: a DXF drawing or an NC program (read, checked,
// and set on its job's stock when the job is found). Qt-free.
#pragma once

#include <filesystem>
#include <string>

#include "Drillview/scene.h"

namespace drillview {

// False with `error` (Japanese, for the operator) when the file cannot be
// read or is no DXF. `programFolder` holds DB, where the job of a program
// is looked for when the folder beside the program's own (../DB) has none.
bool OpenForView(const std::filesystem::path& file, const std::filesystem::path& programFolder, Scene& scene,
                 std::string& error);

}  // namespace drillview
