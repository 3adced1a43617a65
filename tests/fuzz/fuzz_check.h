// What every fuzz target shares: a check that aborts with a message (a
// finding libFuzzer reports and keeps), and a scratch folder per process.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <stdlib.h>

#define FUZZ_CHECK(cond)                                                             \
  do {                                                                               \
    if (!(cond)) {                                                                   \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

namespace fuzzsupport {

// A folder of this process under the temporary folder, removed at exit.
inline const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "drilling-fuzz-XXXXXX").string();
    std::filesystem::path made = mkdtemp(pattern.data());
    static std::filesystem::path toRemove = made;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(toRemove, ec);
    });
    return made;
  }();
  return folder;
}

// True when `text` is well-formed UTF-8.
inline bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace fuzzsupport
