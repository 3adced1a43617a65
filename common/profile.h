// The three profile operations every INI-style file of the system is read and
// written with. Strings are UTF-8 in memory; files are code page 932 with
// CR LF on disk. The rules are those of the Windows private-profile functions:
//  - section and key names compare without regard to (ASCII) case;
//  - blanks around names and values are ignored, and one pair of double
//    quotes around a value is removed when it is read;
//  - lines whose first non-blank character is ';' are comments;
//  - of duplicate sections and keys the first one counts (and is the one
//    written); keys before the first section belong to no section;
//  - a new key goes after the last non-blank line of its section (before any
//    blank lines that end it), a new section at the end of the file, with no
//    blank line before it;
//  - a missing file reads as a file without sections.
// Lines that a write does not touch keep their bytes (and their line ends),
// so a hand-edited file is never re-flowed. Writes replace the file through a
// temporary file in the same folder. A file changed on disk by another
// program is seen at the next read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// The value of `key` in `section`, cut to at most room - 1 bytes of code page
// 932 (never half a character). The default (with trailing blanks removed,
// and cut the same way) only when the key is absent; a key present with an
// empty value reads as empty. The result's size is the length the callers
// test ("0 means not set").
std::string ReadProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                            std::size_t room, const std::filesystem::path& file);

// The value of the leading decimal digits of the key's value; the default
// when the key is absent; 0 when the value does not start with a digit.
int ReadProfileInt(std::string_view section, std::string_view key, int defaultValue,
                   const std::filesystem::path& file);

// Creates the file, the section and the key as needed. No key deletes the
// whole section; no value deletes the key. False when the file could not be
// written (the file on disk is then unchanged).
bool WriteProfileText(std::string_view section, std::optional<std::string_view> key,
                      std::optional<std::string_view> value, const std::filesystem::path& file);

// One change of a batch: a key with a value to write, or no value to delete it.
struct ProfileChange {
  std::string key;
  std::optional<std::string> value;
};

// Applies the changes to `section` in order, with the same result as that
// many WriteProfileText calls, and writes the file once (a failure leaves
// the file as it was before the first change).
bool WriteProfileTexts(std::string_view section, const std::vector<ProfileChange>& changes,
                       const std::filesystem::path& file);

// One change anywhere in the file: no key deletes the whole section, a key
// without a value deletes the key.
struct ProfileSectionChange {
  std::string section;
  std::optional<std::string> key;
  std::optional<std::string> value;
};

// Applies the changes in order, with the same result as that many
// WriteProfileText calls, and writes the file once: a failure leaves the
// file as it was before the first change.
bool WriteProfileChanges(const std::vector<ProfileSectionChange>& changes, const std::filesystem::path& file);

// While one of these lives on a thread, each profile file is checked on
// disk once and then read from memory: for one operation that reads hundreds
// of keys (an NC program run). Changes made by this program are still seen;
// changes made by other programs meanwhile are seen after the batch.
class ProfileReadBatch {
 public:
  ProfileReadBatch();
  ~ProfileReadBatch();
  ProfileReadBatch(const ProfileReadBatch&) = delete;
  ProfileReadBatch& operator=(const ProfileReadBatch&) = delete;
};

// Drops every cached parse (tests that rewrite a file within one clock tick
// of its last change use it; normal callers never need it).
void ForgetCachedProfiles();

}  // namespace common
