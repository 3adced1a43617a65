#include "common/textfile.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <vector>
#include <system_error>

#include "common/sjis.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace common {
namespace {

void SetError(std::string* error, const std::string& what) {
  if (error) *error = what;
}

unsigned long ProcessId() {
#ifdef _WIN32
  return static_cast<unsigned long>(GetCurrentProcessId());
#else
  return static_cast<unsigned long>(::getpid());
#endif
}

// "<target>.<16 hex digits>.tmp": the first eight digits are the writing
// process's id, the other eight are random (two writers of one process, or
// of two machines sharing a folder, never meet).
fs::path TemporaryName(const fs::path& target) {
  static std::mt19937 rng{std::random_device{}()};
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%08lx%08lx.tmp", ProcessId() & 0xFFFFFFFFul,
                static_cast<unsigned long>(rng()) & 0xFFFFFFFFul);
  fs::path tmp = target;
  tmp += suffix;
  return tmp;
}

bool IsHex(std::string_view s) { return s.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos; }

// True when no running process can still be writing the temporary: its
// writer is gone (the id in its name is no running process), or it has not
// been touched for an hour (a name without a live id, or another platform).
bool IsAbandoned(const fs::path& tmp, std::string_view hex) {
#ifndef _WIN32
  const pid_t pid = static_cast<pid_t>(std::strtoul(std::string(hex.substr(0, 8)).c_str(), nullptr, 16));
  if (pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) return true;
#endif
  std::error_code ec;
  const auto changed = fs::last_write_time(tmp, ec);
  if (ec) return false;
  return fs::file_time_type::clock::now() - changed > std::chrono::hours(1);
}

// Longest chain of symbolic links followed to the file a write changes (the
// platform's own limit is of this order).
constexpr int kMaxLinkHops = 40;

}  // namespace

bool ResolveWriteTarget(const fs::path& path, fs::path& target, std::string* error) {
  target = path;
  for (int hops = 0; hops <= kMaxLinkHops; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(target, ec))) return true;
    fs::path link = fs::read_symlink(target, ec);
    if (ec) {
      SetError(error, "cannot read the link " + target.string() + ": " + ec.message());
      return false;
    }
    // A relative link is relative to the folder the link is in.
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  SetError(error, "cannot write " + path.string() + ": too many levels of symbolic links");
  return false;
}

bool IsWriteProtected(const fs::path& path) {
#ifdef _WIN32
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  return !ec && fs::exists(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none;
#else
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // The super-user may write anything, so access() would always allow it:
  // for that user a file is protected when no one has write permission (the
  // read-only file of other platforms); for any other user the permission
  // that applies to it decides.
  if (::geteuid() == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
#endif
}

int RemoveStaleTemporaries(const fs::path& target) {
  const std::string prefix = target.filename().string() + ".";
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  std::vector<fs::path> stale;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // prefix + 16 hex digits + ".tmp", nothing else.
    if (name.size() != prefix.size() + 16 + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0)
      continue;
    const std::string_view hex = std::string_view(name).substr(prefix.size(), 16);
    std::error_code kind;
    if (!IsHex(hex) || !it->is_regular_file(kind)) continue;
    if (IsAbandoned(it->path(), hex)) stale.push_back(it->path());
  }
  int removed = 0;
  for (const fs::path& p : stale) {
    std::error_code ignored;
    if (fs::remove(p, ignored)) ++removed;
  }
  return removed;
}

bool WriteFileAtomic(const fs::path& requested, std::string_view bytes, FileMode mode, std::string* error) {
  // A symbolic link stays a link: the file it points to is the one replaced,
  // by a temporary in that file's own folder (a rename is atomic only within
  // one file system).
  fs::path path;
  if (!ResolveWriteTarget(requested, path, error)) return false;
  // A file without write permission is not replaced, although the folder
  // would allow the rename over it.
  if (IsWriteProtected(path)) {
    SetError(error, "cannot write " + path.string() + ": the file is write-protected (no write permission)");
    return false;
  }
  // A write killed before its rename left its temporary behind: the next
  // write of the same target takes it away.
  RemoveStaleTemporaries(path);
  fs::path tmp = TemporaryName(path);
#ifdef _WIN32
  // The Windows build keeps the same contract with _wsopen/MoveFileEx.
  int fd = _wopen(tmp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  // A replaced file keeps its permission bits (a user who made a file
  // private keeps it private); secrets are always owner-only. Until it is
  // whole, the temporary file is the owner's only: a file made private must
  // not be readable under the temporary name while it is written.
  struct stat existing {};
  const bool replacing = ::stat(path.c_str(), &existing) == 0;
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  mode == FileMode::OwnerOnly || replacing ? 0600 : 0666);
#endif
  if (fd < 0) {
    SetError(error, std::string("cannot create ") + tmp.string() + ": " + std::strerror(errno));
    return false;
  }
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  bool ok = true;
  while (left > 0) {
#ifdef _WIN32
    int n = _write(fd, p, static_cast<unsigned>(left > 1 << 30 ? 1 << 30 : left));
#else
    ssize_t n = ::write(fd, p, left);
#endif
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      SetError(error, std::string("cannot write ") + tmp.string() + ": " + std::strerror(errno));
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
#ifndef _WIN32
  if (ok && mode != FileMode::OwnerOnly && replacing) (void)::fchmod(fd, existing.st_mode & 07777);
  // No fsync: the rename already guarantees that readers see the old or the
  // new file whole, and a sync per profile key would make every write cost
  // milliseconds.
  if (::close(fd) != 0 && ok) {
    SetError(error, std::string("cannot close ") + tmp.string() + ": " + std::strerror(errno));
    ok = false;
  }
#else
  if (_close(fd) != 0) ok = false;
#endif
  if (ok) {
    std::error_code ec;
    fs::rename(tmp, path, ec);
    if (ec) {
      SetError(error, "cannot rename " + tmp.string() + " to " + path.string() + ": " + ec.message());
      ok = false;
    }
  }
  if (!ok) {
    std::error_code ignored;
    fs::remove(tmp, ignored);
  }
  return ok;
}

std::string ToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::string ToCp932CrLf(std::string_view utf8Text) { return ToCrLf(Utf8ToCp932(utf8Text)); }

bool ReadFileBytes(const fs::path& path, std::string& bytes) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  bytes.resize(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(bytes.data(), size)) return false;
  // A file that grew meanwhile: take the rest too.
  char extra[4096];
  while (in.read(extra, sizeof extra) || in.gcount() > 0) bytes.append(extra, static_cast<std::size_t>(in.gcount()));
  return true;
}

bool TextFileWriter::Commit(std::string* error) const {
  return WriteFileAtomic(target_, ToCp932CrLf(text_), mode_, error);
}

bool TextFileWriter::KeepAs(const fs::path& other, std::string* error) const {
  return WriteFileAtomic(other, ToCp932CrLf(text_), mode_, error);
}

}  // namespace common
