// The daily log of the message window: when the window closes, its list is
// appended as one block to <program folder>/Log/<computer><yyyymmdd>.log,
// code page 932 with CR LF. Plain code, no widgets.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"

namespace relaypane {

// Longest entry written: the 1024-byte fetch buffer less its NUL.
constexpr std::size_t kMaxLogEntryBytes = 1023;

struct LogSetup {
  std::filesystem::path programFolder;
  std::filesystem::path configPath;  // Relaypane.ini (LogWrite of section Relaypane)
  std::string computerName;          // cut to 63 bytes
  const common::Clock* clock = nullptr;
  // Shows a failure box (error icon, the window name as caption).
  std::function<void(const std::string& text)> failureBox;
};

// Appends the entries as one block when LogWrite is 1 and there is at least
// one entry. 0 when nothing was to be written or the block was written; -1
// after a reported failure (folder, file, or writing it). A block that could
// not be written whole is taken back out of the file.
int WriteMessageLog(const LogSetup& setup, const std::vector<std::string>& entries);

// The file a close at `now` writes to.
std::filesystem::path LogFilePath(const std::filesystem::path& programFolder, const std::string& computerName,
                                  const common::LocalTime& now);

// The block as UTF-8 with "\n" line ends (before the conversion to code page
// 932 and CR LF): the rule of 59 '#', the time line, the rule, the entries.
std::string LogBlock(const common::LocalTime& now, const std::vector<std::string>& entries);

}  // namespace relaypane
