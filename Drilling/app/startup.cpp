#include "Drilling/app/startup.h"

#include <system_error>

#include "Drilling/app/build_record.h"
#include "Drilling/app/main_controls.h"
#include "Drilling/app/message_channel.h"
#include "common/placement.h"
#include "common/profile.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace drilling {

int StartUp(Context& ctx, const fs::path& programFolder) {
  SetProgramFolder(ctx, programFolder);
  ReadMessageWindowIdentity(ctx);
  ctx.rightsNotice = common::FormatText(
      "Copyright (C) %d Veltrane. All rights reserved.", kBuildYear);

  // The job folder is one folder on every file system: created and named "DB".
  struct DataFolder {
    const char* name;
    const char* failure;
  };
  static const DataFolder kFolders[] = {
      {"DB", "エラー：DBフォルダの作成失敗"},
      {"ncdata", "エラー：ncdataフォルダの作成失敗"},
      {"DXF", "エラー：DXFフォルダの作成失敗"},
      {"trycut", "エラー：TRYCUTフォルダの作成失敗"},
  };
  for (const auto& folder : kFolders) {
    fs::path path = programFolder / folder.name;
    std::error_code ec;
    // Anything of that name counts as present (a plain file too: the parts
    // that write there report their own failures later).
    if (fs::exists(fs::symlink_status(path, ec)) || fs::exists(path, ec)) continue;
    // Another program started on the same folder at the same moment may have
    // made it between the look and the creation: there now, it is present.
    if ((!fs::create_directory(path, ec) || ec) && !fs::exists(fs::symlink_status(path, ec))) {
      if (ctx.ui) ctx.ui->ShowBox(nullptr, folder.failure, kBoxCaption, common::BoxIcon::Error);
      return -1;
    }
  }

  ctx.windowColour = {210, 210, 210};
  ctx.textColour = {0, 0, 0};
  ReadColour(ctx, filekeys::config::kWindowColour, ctx.windowColour);
  ReadColour(ctx, filekeys::config::kTextColour, ctx.textColour);
  return 0;
}

void OpenTraceConsole(Context& ctx, std::FILE* console) {
  if (ReadConfigInt(ctx, filekeys::config::kDebugWindow, 0) != 1) {
    ctx.traceOut = nullptr;
    return;
  }
  ctx.traceOut = console;
  ctx.Trace("$$$ Console Program Start $$$\n");
  ctx.Trace("PATH = %s\n", ctx.programFolder.string().c_str());
}

std::string ReadConfigKey(const Context& ctx, const filekeys::Key& key, std::string_view defaultValue) {
  return common::ReadProfileKey(key, ctx.configPath, defaultValue);
}

int ReadConfigInt(const Context& ctx, const filekeys::Key& key, int defaultValue) {
  return common::ReadProfileInt(key.section, key.name, defaultValue, ctx.configPath);
}

std::string ReadConfigEntry(const Context& ctx, const filekeys::Key& key, int i) {
  return common::ReadProfileText(key.section, filekeys::Numbered(key.name, i), "", key.room, ctx.configPath);
}

std::vector<std::string> ReadConfigList(const Context& ctx, const filekeys::Key& key) {
  std::vector<std::string> entries;
  for (int i = 0; i <= filekeys::config::kLastListEntry; ++i) {
    std::string entry = ReadConfigEntry(ctx, key, i);
    if (entry.empty()) break;
    entries.push_back(std::move(entry));
  }
  return entries;
}

int ReadColour(const Context& ctx, const filekeys::Key& key, common::Rgb& colour) {
  return common::ReadColour(key, colour, ctx.configPath);
}

int PlaceMainWindow(Context& ctx, common::Form& main) {
  double x = common::PlacementFraction(ReadConfigKey(ctx, filekeys::config::kWindowX, "0"));
  double y = common::PlacementFraction(ReadConfigKey(ctx, filekeys::config::kWindowY, "0"));
  common::ScreenInfo screen = ctx.ui ? ctx.ui->Screen() : common::ScreenInfo{};
  common::Rect frame = main.Frame();
  common::Point at = common::PlaceWindow(x, y, screen.desktop, screen.taskbarHeight, frame.Width(), frame.Height());
  main.MoveTo(at.x, at.y);
  return 0;
}

int ApplyUserStartup(Context& ctx, common::Form& main) {
  struct Preset {
    filekeys::Key key;
    int list;
  };
  static const Preset kPresets[] = {
      {filekeys::config::kStartMaterial, kMaterialCombo},
      {filekeys::config::kStartController, kControllerCombo},
      {filekeys::config::kStartCoordSystem, kCoordSystemCombo},
  };
  for (const auto& preset : kPresets) {
    std::string value = ReadConfigKey(ctx, preset.key);
    if (value.empty()) continue;
    int index = main.FindExact(preset.list, value);
    main.Select(preset.list, index);
    ctx.Trace("%s = %s [%d]\n", preset.key.name, value.c_str(), index);
  }
  return 0;
}

int SetDialogFolder(Context& ctx, std::string_view kind) {
  if (common::EqualsNoCase(kind, "NC")) {
    ctx.dialogFolder = ctx.NcFolder().string();
  } else if (common::EqualsNoCase(kind, "DB")) {
    ctx.dialogFolder = ctx.JobFolder().string();
  } else if (common::EqualsNoCase(kind, "DXF")) {
    ctx.dialogFolder = ctx.DxfFolder().string();
  } else if (common::EqualsNoCase(kind, "TRYCUT")) {
    ctx.dialogFolder = ctx.TrycutFolder().string();
  } else {
    ctx.dialogFolder.clear();
  }
  return 0;
}

}  // namespace drilling
