#include "Relaypane/relaypane_info.h"


#include <algorithm>

#include "common/build_date.h"
#include "common/file_keys.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"

namespace relaypane {
namespace {

std::string Read(const filekeys::Key& key, const std::filesystem::path& file) {
  return common::ReadProfileKey(key, file);
}

}  // namespace

Settings ReadSettings(const std::filesystem::path& programFolder) {
  Settings s;
  s.programFolder = programFolder;
  s.configPath = programFolder / filekeys::relaypane::kFileName;
  s.className = Read(filekeys::relaypane::kClassName, s.configPath);
  if (s.className.empty()) s.className = kDefaultClassName;
  s.windowName = Read(filekeys::relaypane::kWindowName, s.configPath);
  if (s.windowName.empty()) s.windowName = kDefaultWindowName;
  std::string icon = Read(filekeys::relaypane::kIcon, s.configPath);
  if (!icon.empty()) {
#ifndef _WIN32
    std::replace(icon.begin(), icon.end(), '\\', '/');
#endif
    s.iconPath = programFolder / icon;
  }
  return s;
}

bool IsVersionRequest(const std::vector<std::string>& arguments) {
  return arguments.size() == 1 &&
         (common::EqualsNoCase(arguments[0], "ver") || common::EqualsNoCase(arguments[0], "/v"));
}

std::string FractionText(double fraction) {
  std::string text = common::FormatText("%.4f", fraction);
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text.empty() || text == "-" ? "0" : text;
}

std::string AboutApplicationText(const std::string& caption, const std::string& name) {
  return common::FormatText("%s#%s %s Version %d.%02d [Build Date %d/%d/%d]", caption.c_str(), name.c_str(),
                            "Release", kMajor, kMinor, kBuildYear, kBuildMonth, kBuildDay);
}

std::string AboutCreditText() { return common::FormatText("%s message window by %s", kProgramName, kMaker); }

std::string InfoWindowTitle(const std::filesystem::path& executable) {
  return common::FormatText("%s%s - Program Information", executable.stem().string().c_str(),
                            executable.extension().string().c_str());
}

std::string FolderText(const std::filesystem::path& folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != std::filesystem::path::preferred_separator)
    text += std::filesystem::path::preferred_separator;
  return text;
}

std::string BuildInfoText(const Settings& settings, const std::filesystem::path& executable) {
  std::string title = Read(filekeys::relaypane::kTitle, settings.configPath);
  if (title.empty()) title = kDefaultTitle;
  std::string date;
  if (common::GetBuildDateText(executable, date) != 0)
    date = common::FormatText("%d/%02d/%02d 00:00:00", kBuildYear, kBuildMonth, kBuildDay);
  std::string text = common::FormatText("%s\n%s\n%s\n%s\n%s Version %d.%02d.%d\n作成日時 %s\nフォルダ %s", kMaker,
                                        kMakerAddress, title.c_str(), kProgramName, "Release", kMajor, kMinor,
                                        kBuildNumber, date.c_str(), FolderText(settings.programFolder).c_str());
  return common::CutToRoom(text, 1024);
}

}  // namespace relaypane
