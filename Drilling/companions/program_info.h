// What the drilling program tells about itself: the start-up banner in the
// message window, the version box, the program information dialog, and the
// help file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Drilling/app/build_record.h"
#include "Drilling/app/context.h"
#include "common/dialog_template.h"
#include "common/form.h"

namespace drilling {

constexpr const char* kMakerName = "Veltrane";
constexpr const char* kMakerAddress = "https://www.veltrane.example/";

// Program information dialog.
constexpr int kInfoTextLabel = 1001;
constexpr int kCmdInfoClose = 40090;
constexpr int kInfoDialogResult = 16;
// Version box.
constexpr int kAboutApplicationLabel = 1001;
constexpr int kAboutExtraLabel = 1002;
constexpr int kAboutOk = 1;

// "2021R0.06.2530" and, without the build number, "2021R0.06".
std::string FullVersionText();
std::string ShortVersionText();

// The first IPv4 address of this host in dotted form, "0.0.0.0" when it has
// none. Returns 0.
int GetHostAddress(Context& ctx, common::Form* owner, std::string& out);

// The ten banner lines in their order, for the time `now`.
std::vector<std::string> BannerLines(Context& ctx, common::Form* owner, const common::LocalTime& now);

// The text the program information dialog draws; `executable` gives the
// build date (empty: the running program; the build date at 00:00:00 when
// it cannot be read).
std::string ProgramInfoText(const Context& ctx, const std::filesystem::path& executable);

const common::DialogTemplate& ProgramInfoTemplate();
common::DialogProc ProgramInfoProc(Context& ctx);

// The version box as a dialog: its caption is the part of the application
// text before '#', its first line the part after it, then the extra text.
common::DialogTemplate VersionBoxTemplate(const std::string& application, const std::string& extra);
common::DialogProc VersionBoxProc();

// The application text of the version box for `caption`.
std::string VersionBoxApplicationText(const std::string& caption);

// Entries of the main window: the start-up banner, バージョン (40031) and
// プログラム情報 (40032). ヘルプ (40030) is OpenHelpFile (outside_programs.h).
int ShowProgramBanner(Context& ctx, common::Form& main);
int ShowVersionBox(Context& ctx, common::Form& main, const char* application);
int ShowProgramInfo(Context& ctx, common::Form& main);

}  // namespace drilling
