// What the message window program knows about itself: its settings from
// Relaypane.ini, its build record, and the texts of its version box and
// information window. Plain code, no widgets.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace relaypane {

// Build record, fixed at build time.
constexpr int kBuildYear = 2019;
constexpr int kBuildMonth = 7;
constexpr int kBuildDay = 21;
constexpr int kMajor = 0;
constexpr int kMinor = 12;
// Build number shown in the information window: year + 100 x month + day.
constexpr int kBuildNumber = kBuildYear + 100 * kBuildMonth + kBuildDay;

constexpr const char* kProgramName = "Relaypane";
constexpr const char* kMaker = "Veltrane";
constexpr const char* kMakerAddress = "https://www.veltrane.example/";
constexpr const char* kDefaultClassName = "MessageWindow";
constexpr const char* kDefaultWindowName = "Application Receive Message";
constexpr const char* kDefaultTitle = "メッセージウィンドウ";

// Menu "PROGMENU" and the information window's menu "INFOMENU".
constexpr int kCmdExit = 40001;
constexpr int kCmdVersion = 40002;
constexpr int kCmdInformation = 40003;
constexpr int kCmdInfoClose = 40010;
// The list's control identifier.
constexpr int kListId = 1000;
// Result of the information window, however it is closed.
constexpr int kInfoResult = 16;

struct Settings {
  std::filesystem::path programFolder;
  std::filesystem::path configPath;  // programFolder / "Relaypane.ini"
  std::string className;             // 31 characters; default kDefaultClassName
  std::string windowName;            // 63 characters; default kDefaultWindowName
  std::filesystem::path iconPath;    // programFolder / icon value; empty without the key
};

// Reads ClassName, WindowName and icon of section Relaypane. An absent or
// empty name takes its default. A backslash in the icon value separates
// folders (the shipped files are written for Windows).
Settings ReadSettings(const std::filesystem::path& programFolder);

// True for exactly one argument equal to "ver" or "/v" in any case.
bool IsVersionRequest(const std::vector<std::string>& arguments);

// The text WINX and WINY are remembered with: up to four decimals, trailing
// zeros removed ("0.5", "1", "0.1234").
std::string FractionText(double fraction);

// The version box's application text: the part before '#' is the box title,
// the part after it the first line.
std::string AboutApplicationText(const std::string& caption, const std::string& name);
// The version box's extra text: a credit naming the maker.
std::string AboutCreditText();

// The information window's title, from the executable's file name and
// extension ("Relaypane - Program Information").
std::string InfoWindowTitle(const std::filesystem::path& executable);

// The seven lines of the information window: maker, web address, title
// (Relaypane.ini title, default kDefaultTitle), program name, version line,
// build date of `executable` (the build date with 00:00:00 when the file
// cannot be read), program folder. Cut to the 1023 bytes of its buffer.
std::string BuildInfoText(const Settings& settings, const std::filesystem::path& executable);

// The program folder as it is shown: with a trailing separator.
std::string FolderText(const std::filesystem::path& folder);

}  // namespace relaypane
