// Start-up of the drilling program: program folder, configuration paths, the
// message window identity, the data folders, colours and the trace console;
// and the small services other parts use to find their folders and to place
// and preset the main window.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Drilling/app/context.h"
#include "common/file_keys.h"
#include "common/form.h"

namespace drilling {

// Everything before the first window: paths from `programFolder`, the message
// window identity, the rights notice, the data folders DB, ncdata, DXF and
// trycut (created when missing; a failure shows its box and gives -1), the
// colours. 0 on success.
int StartUp(Context& ctx, const std::filesystem::path& programFolder);

// With Drilling/DebugWindow = 1 trace lines go to `console` (and the two
// opening lines are printed); otherwise they go nowhere.
void OpenTraceConsole(Context& ctx, std::FILE* console);

// A key of Drilling.ini read with its room; `defaultValue` when it is absent.
std::string ReadConfigKey(const Context& ctx, const filekeys::Key& key, std::string_view defaultValue = "");
// An integer key of Drilling.ini; `defaultValue` when it is absent.
int ReadConfigInt(const Context& ctx, const filekeys::Key& key, int defaultValue);
// Entry `i` of a numbered key of Drilling.ini (LINE<i>, TOOLEN<i>), read
// with the key's room; empty when absent.
std::string ReadConfigEntry(const Context& ctx, const filekeys::Key& key, int i);
// The list of a numbered key (WorkType0, WorkType1, ...): its entries up to
// the first absent or empty one, at most up to number kLastListEntry.
std::vector<std::string> ReadConfigList(const Context& ctx, const filekeys::Key& key);

// Reads a colour of section COLOR of Drilling.ini into `colour`. Returns 0.
int ReadColour(const Context& ctx, const filekeys::Key& key, common::Rgb& colour);

// Moves the main window to WINDOW/X and WINDOW/Y (fractions 0..1) of the free
// screen. Returns 0.
int PlaceMainWindow(Context& ctx, common::Form& main);

// Preselects material, controller and coordinate system from UserStartup.
int ApplyUserStartup(Context& ctx, common::Form& main);

// "NC", "DB", "DXF", "TRYCUT" (any case) -> that data folder; anything else
// empties the dialog folder. Returns 0.
int SetDialogFolder(Context& ctx, std::string_view kind);

}  // namespace drilling
