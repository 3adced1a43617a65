// The three profile operations every INI-style file of the system is read and
// written with. Strings are UTF-8 in memory; files are code page 932 on disk.
// Sites edit these files by hand with any editor, so the rules are exactly
// those of the Windows private-profile functions the files were written for:
//  - a line ends at CR LF, at LF or at a lone CR;
//  - a line whose first non-blank character is ';' is a comment;
//  - a line whose first non-blank character is '[' is a section header; the
//    name ends at the first ']' (or at the line end when there is none) and
//    blanks, tabs and vertical tabs around it inside the brackets are ignored;
//  - any other line with a '=' is a key; blanks around the name and the value
//    are ignored, and one pair of quotes around a value (double or single,
//    the same kind at both ends, the outermost pair only) is removed when it
//    is read; blanks inside the quotes stay;
//  - section and key names compare without regard to (ASCII) case, and the
//    blanks around the names a caller passes are ignored;
//  - of duplicate sections and keys the first one counts (and is the one
//    written); keys before the first section belong to no section;
//  - a missing file reads as a file without sections; the default of a read
//    is returned with its trailing spaces (not tabs) removed.
// Writes:
//  - the section and key names given are trimmed; the value is written
//    exactly as given; a section, key or value holding CR, LF or NUL is
//    refused (false, nothing written), as it could not be read back;
//  - a changed key keeps its place and its stored name; a new key goes after
//    the last key line of its section, before the comment and blank lines
//    that end it; a new section goes at the end of the file;
//  - a last line without a line end gets CR LF before anything is added
//    after it, and a replaced line without one gets CR LF;
//  - deleting a section removes its header and its keys; the comment and
//    blank lines that stood in it stay, so a hand-written comment is never
//    lost by a write.
// Lines that a write does not touch keep their bytes (and their line ends),
// so a hand-edited file is never re-flowed. Writes replace the file through a
// temporary file in the same folder. A file changed on disk by another
// program is seen at the next read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_keys.h"

namespace common {

// The value of `key` in `section`, cut to at most room - 1 bytes of code page
// 932 (never half a character). The default (with trailing spaces removed,
// and cut the same way) only when the key is absent; a key present with an
// empty value reads as empty. The result's size is the length the callers
// test ("0 means not set"). A NUL in the file ends the value.
std::string ReadProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                            std::size_t room, const std::filesystem::path& file);

// The same for a key of the schema: its section, name and room.
std::string ReadProfileKey(const filekeys::Key& key, const std::filesystem::path& file,
                           std::string_view defaultValue = "");

// The value of the leading decimal digits of the key's value; the default
// when the key is absent; 0 when the value does not start with a digit.
int ReadProfileInt(std::string_view section, std::string_view key, int defaultValue,
                   const std::filesystem::path& file);

// Creates the file, the section and the key as needed. No key deletes the
// whole section; no value deletes the key. False when the file could not be
// written or a name or the value holds CR, LF or NUL (the file on disk is
// then unchanged).
bool WriteProfileText(std::string_view section, std::optional<std::string_view> key,
                      std::optional<std::string_view> value, const std::filesystem::path& file);

// One change of a batch: a key with a value to write, or no value to delete it.
struct ProfileChange {
  std::string key;
  std::optional<std::string> value;
};

// Applies the changes to `section` in order, with the same result as that
// many WriteProfileText calls, and writes the file once (a failure, or one
// refused change, leaves the file as it was before the first change).
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

// The bytes of one profile file parsed in memory. The file operations above
// are this plus the disk: they read through Find and write through Apply and
// Bytes, so whatever holds here holds for the files.
class ProfileDocument {
 public:
  enum class Edit { Unchanged, Changed, Refused };

  ProfileDocument();
  explicit ProfileDocument(std::string_view bytes);
  ProfileDocument(const ProfileDocument& other);
  ProfileDocument& operator=(const ProfileDocument& other);
  ~ProfileDocument();

  // The stored value (quotes removed), or null when the key is absent.
  const std::string* Find(std::string_view section, std::string_view key) const;
  // Names of the sections that can be read (first of each name), in file order.
  std::vector<std::string> SectionNames() const;
  // Names of the keys of the first section of that name that can be read, in file order.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // One write as WriteProfileText makes it (no key: delete the section; no
  // value: delete the key).
  Edit Apply(std::string_view section, std::optional<std::string_view> key, std::optional<std::string_view> value);

  // The file as it would be written.
  std::string Bytes() const;

  struct Lines;  // the parsed lines; opaque outside the profile code

 private:
  std::unique_ptr<Lines> lines_;
};

}  // namespace common
