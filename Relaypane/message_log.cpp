#include "Relaypane/message_log.h"

#include <cstdio>
#include <system_error>

#include "common/file_keys.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "common/textfile.h"

namespace fs = std::filesystem;

namespace relaypane {

fs::path LogFilePath(const fs::path& programFolder, const std::string& computerName, const common::LocalTime& now) {
  std::string name = common::FormatText("%s%d%02d%02d.log", common::CutToBytes(computerName, 63).c_str(), now.year,
                                        now.month, now.day);
  return programFolder / "Log" / name;
}

std::string LogBlock(const common::LocalTime& now, const std::vector<std::string>& entries) {
  const std::string rule(59, '#');
  std::string block;
  std::size_t size = 200;
  for (const auto& e : entries) size += e.size() + 1;
  block.reserve(size);
  block += rule;
  block += '\n';
  block += common::FormatText("%20s%d-%02d-%02d %02d:%02d:%02d\n", " ", now.year, now.month, now.day, now.hour,
                              now.minute, now.second);
  block += rule;
  block += '\n';
  for (const auto& entry : entries) {
    // Lines of the channel are never longer; anything else is cut at a
    // character boundary as the fetch buffer would hold it.
    if (entry.size() <= kMaxLogEntryBytes) {
      block += entry;
    } else {
      block += common::CutToBytes(entry, kMaxLogEntryBytes);
    }
    block += '\n';
  }
  return block;
}

namespace {

// Appends `bytes` to `path`; on any failure the file is put back to the size
// it had, so no half block stays behind. False when it failed.
bool AppendWhole(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  bool existed = fs::exists(path, ec);
  std::uintmax_t before = existed ? fs::file_size(path, ec) : 0;
  if (ec) before = 0;
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok && fs::is_regular_file(path, ec)) {
    if (existed) {
      fs::resize_file(path, before, ec);
    } else {
      fs::remove(path, ec);
    }
  }
  return ok;
}

}  // namespace

int WriteMessageLog(const LogSetup& setup, const std::vector<std::string>& entries) {
  if (common::ReadProfileInt(filekeys::relaypane::kLogWrite.section, filekeys::relaypane::kLogWrite.name, 0,
                             setup.configPath) != 1) return 0;
  if (entries.empty()) return 0;

  fs::path folder = setup.programFolder / "Log";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    fs::create_directory(folder, ec);
    if (!fs::is_directory(folder, ec)) {
      if (setup.failureBox) setup.failureBox(common::FormatText("%s\nフォルダ作成失敗", folder.string().c_str()));
      return -1;
    }
  }

  // One time stamp for the file name and the block.
  common::LocalTime now = setup.clock ? setup.clock->Now() : common::SystemClock().Now();
  fs::path file = LogFilePath(setup.programFolder, setup.computerName, now);
  std::string bytes = common::ToCp932CrLf(LogBlock(now, entries));

  // A file that cannot be opened and a block that cannot be written whole
  // end in the same box.
  if (!AppendWhole(file, bytes)) {
    if (setup.failureBox) setup.failureBox(common::FormatText("ログファイル %s 作成失敗", file.string().c_str()));
    return -1;
  }
  return 0;
}

}  // namespace relaypane
