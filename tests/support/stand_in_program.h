// A stand-in for an outside program (editor, viewer, ...): a small shell
// script that writes the arguments it was started with, one per line, into a
// record file beside it. Tests start it through the real launcher and read
// back what arrived.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

namespace testsupport {

class StandInProgram {
 public:
  // Creates the script at `path` (its folder too), executable.
  explicit StandInProgram(std::filesystem::path path) : path_(std::move(path)) {
    std::filesystem::create_directories(path_.parent_path());
    record_ = path_.parent_path() / (path_.filename().string() + ".args");
    // Written to a temporary name and renamed, so a reader never sees half a record.
    WriteBytes(path_,
               "#!/bin/sh\n"
               "out='" + record_.string() + "'\n"
               "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
    ::chmod(path_.c_str(), 0755);
  }

  const std::filesystem::path& Path() const { return path_; }

  // The arguments of the last start, waiting for the program to write them
  // (up to `limit`: a started process may take a moment on a loaded machine).
  // Empty with `arrived` false when nothing came.
  std::vector<std::string> Arguments(bool* arrived = nullptr,
                                     std::chrono::milliseconds limit = std::chrono::seconds(20)) const {
    auto end = std::chrono::steady_clock::now() + limit;
    std::error_code ec;
    while (!std::filesystem::exists(record_, ec) && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bool found = std::filesystem::exists(record_, ec);
    if (arrived) *arrived = found;
    std::vector<std::string> args;
    if (!found) return args;
    std::string text = ReadBytes(record_), line;
    for (char c : text) {
      if (c == '\n') {
        args.push_back(line);
        line.clear();
      } else {
        line += c;
      }
    }
    return args;
  }

 private:
  std::filesystem::path path_;
  std::filesystem::path record_;
};

}  // namespace testsupport
