// Output files: written whole to a temporary file in the target's folder and
// renamed over the target, so a crash or a full disk never leaves half a file
// under the real name. Text goes in as UTF-8 with "\n" line ends and comes out
// as code page 932 with CR LF, on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace common {

enum class FileMode {
  Normal,      // the platform's default permissions
  OwnerOnly,   // readable and writable by the owner only (secrets)
};

// Writes `bytes` to `path` atomically. False (with `error`, when given, set to
// a short English reason) when anything failed; the target is then untouched
// and no temporary file is left behind. A symbolic link is written through:
// the file it points to is replaced and the link stays. A file without write
// permission is refused (also for the super-user), as the copy of a
// read-only file would be.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                     FileMode mode = FileMode::Normal, std::string* error = nullptr);

// The file a write of `path` changes: `path`, or the file its chain of
// symbolic links ends at (which need not exist yet). False, with `error`,
// for a link that cannot be read or a chain that does not end.
bool ResolveWriteTarget(const std::filesystem::path& path, std::filesystem::path& target,
                        std::string* error = nullptr);

// True when `path` is an existing file this process must not replace: no
// write permission for it (for the super-user: for no one).
bool IsWriteProtected(const std::filesystem::path& path);
// Removes the temporaries "<target>.<16 hex digits>.tmp" that writes of
// `target` killed before their rename left beside it, when no running
// process can still be writing them (their writer's process is gone, or they
// are an hour old). WriteFileAtomic calls it first; the number removed.
int RemoveStaleTemporaries(const std::filesystem::path& target);

// "\n" -> "\r\n" (a "\r\n" already present stays as it is).
std::string ToCrLf(std::string_view text);

// UTF-8 text with "\n" line ends -> code page 932 bytes with CR LF.
std::string ToCp932CrLf(std::string_view utf8Text);

// Reads a whole file as bytes; false when it cannot be read (missing, a folder, ...).
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes);

// A text file built in memory and committed at once. Nothing reaches the disk
// before Commit; a writer that is dropped without Commit leaves the target as
// it was. KeepAs writes what was built so far under another name (for
// diagnosis of a failed run) instead of the target.
class TextFileWriter {
 public:
  explicit TextFileWriter(std::filesystem::path target, FileMode mode = FileMode::Normal)
      : target_(std::move(target)), mode_(mode) {}

  // Appends UTF-8 text; "\n" becomes CR LF on disk.
  void Write(std::string_view utf8Text) { text_ += utf8Text; }
  void WriteLine(std::string_view utf8Text) {
    text_ += utf8Text;
    text_ += '\n';
  }
  const std::string& Text() const { return text_; }
  const std::filesystem::path& Target() const { return target_; }

  bool Commit(std::string* error = nullptr) const;
  bool KeepAs(const std::filesystem::path& other, std::string* error = nullptr) const;

 private:
  std::filesystem::path target_;
  FileMode mode_;
  std::string text_;
};

}  // namespace common
