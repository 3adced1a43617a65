#include "common/profile.h"

#include <list>
#include <memory>
#include <mutex>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "common/sjis.h"
#include "common/text.h"
#include "common/textfile.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace common {
namespace {

enum class LineKind { Other, Blank, Comment, Section, Key };

struct Line {
  std::string raw;   // code page 932 bytes, without the line end
  std::string eol;   // "\r\n", "\n" or "" (a last line without a line end)
  LineKind kind = LineKind::Other;
  std::string name;  // section or key name, UTF-8, as written
  std::string value; // key value, UTF-8, blanks and quotes removed
};

struct Parsed {
  std::vector<Line> lines;
  // first occurrence of each section (lower-case name) -> its keys
  // (lower-case name -> value of the first occurrence)
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> index;
};

struct Stamp {
  bool exists = false;
  long long mtimeNs = 0;
  long long size = 0;
  unsigned long long inode = 0;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const fs::path& file) {
  Stamp s;
#ifndef _WIN32
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return s;
  s.exists = true;
  s.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  s.size = static_cast<long long>(st.st_size);
  s.inode = static_cast<unsigned long long>(st.st_ino);
#else
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return s;
  s.exists = true;
  s.mtimeNs = fs::last_write_time(file, ec).time_since_epoch().count();
  s.size = static_cast<long long>(fs::file_size(file, ec));
#endif
  return s;
}

void ClassifyLine(Line& line) {
  std::string text = Cp932ToUtf8(line.raw);
  std::string_view t = Trim(text);
  if (t.empty()) {
    line.kind = LineKind::Blank;
    return;
  }
  if (t.front() == ';') {
    line.kind = LineKind::Comment;
    return;
  }
  if (t.front() == '[') {
    std::size_t close = t.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      line.kind = LineKind::Section;
      line.name = std::string(t.substr(1, close - 1));
      return;
    }
  }
  std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    line.kind = LineKind::Other;  // a bare word: not a key that can be read
    return;
  }
  line.kind = LineKind::Key;
  line.name = std::string(TrimRight(t.substr(0, eq)));
  std::string_view v = Trim(t.substr(eq + 1));
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  line.value = std::string(v);
}

void BuildIndex(Parsed& p) {
  p.index.clear();
  std::unordered_map<std::string, std::string>* current = nullptr;
  for (const Line& line : p.lines) {
    if (line.kind == LineKind::Section) {
      auto [it, inserted] = p.index.try_emplace(ToLowerAscii(line.name));
      current = inserted ? &it->second : nullptr;  // a duplicate section is never read
    } else if (line.kind == LineKind::Key && current) {
      current->try_emplace(ToLowerAscii(line.name), line.value);
    }
  }
}

std::shared_ptr<Parsed> Parse(std::string_view bytes) {
  auto p = std::make_shared<Parsed>();
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t nl = bytes.find('\n', start);
    Line line;
    if (nl == std::string_view::npos) {
      line.raw = std::string(bytes.substr(start));
      start = bytes.size();
    } else {
      std::size_t end = nl;
      if (end > start && bytes[end - 1] == '\r') {
        --end;
        line.eol = "\r\n";
      } else {
        line.eol = "\n";
      }
      line.raw = std::string(bytes.substr(start, end - start));
      start = nl + 1;
    }
    ClassifyLine(line);
    p->lines.push_back(std::move(line));
  }
  BuildIndex(*p);
  return p;
}

std::string Serialise(const Parsed& p) {
  std::string out;
  for (const Line& line : p.lines) {
    out += line.raw;
    out += line.eol;
  }
  return out;
}

// Parsed files, validated by their stamp at every use. Small: a program uses
// a handful of profile files at a time.
// Depth of the read batches open on this thread: inside one, a file already
// checked is trusted without looking at the disk again.
thread_local int tBatchDepth = 0;

class Cache {
 public:
  // Writes pass trustBatch = false: a write always starts from the file as
  // it is on disk, so it never loses a change another program made.
  std::shared_ptr<const Parsed> Get(const fs::path& file, Stamp& stampOut, bool trustBatch = true) {
    std::string key = file.string();
    if (tBatchDepth > 0 && trustBatch) {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = entries_.find(key);
      if (it != entries_.end() && it->second.checkedInBatch) {
        stampOut = it->second.stamp;
        return it->second.parsed;
      }
    }
    Stamp stamp = StampOf(file);
    stampOut = stamp;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second.stamp == stamp) {
      it->second.checkedInBatch = tBatchDepth > 0;
      return it->second.parsed;
    }
    std::shared_ptr<Parsed> parsed;
    std::string bytes;
    if (stamp.exists && ReadFileBytes(file, bytes)) {
      parsed = Parse(bytes);
    } else {
      parsed = std::make_shared<Parsed>();
    }
    Put(key, stamp, parsed);
    return parsed;
  }

  void Store(const fs::path& file, std::shared_ptr<Parsed> parsed) {
    Stamp stamp = StampOf(file);
    std::lock_guard<std::mutex> lock(mutex_);
    Put(file.string(), stamp, std::move(parsed));
  }

  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
  }

  void EndBatch() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [key, entry] : entries_) entry.checkedInBatch = false;
  }

 private:
  struct Entry {
    Stamp stamp;
    std::shared_ptr<Parsed> parsed;
    bool checkedInBatch = false;
  };
  void Put(const std::string& key, const Stamp& stamp, std::shared_ptr<Parsed> parsed) {
    if (entries_.size() >= 32 && entries_.find(key) == entries_.end()) entries_.clear();
    entries_[key] = Entry{stamp, std::move(parsed), tBatchDepth > 0};
  }
  std::mutex mutex_;
  std::unordered_map<std::string, Entry> entries_;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

const std::string* FindValue(const Parsed& p, std::string_view section, std::string_view key) {
  auto s = p.index.find(ToLowerAscii(section));
  if (s == p.index.end()) return nullptr;
  auto k = s->second.find(ToLowerAscii(key));
  return k == s->second.end() ? nullptr : &k->second;
}

Line MakeLine(std::string_view utf8) {
  Line line;
  line.raw = Utf8ToCp932(utf8);
  line.eol = "\r\n";
  ClassifyLine(line);
  return line;
}

// Index range [begin, end) of the lines of the first section named `section`
// (the header included); begin == npos when there is none.
struct Range {
  std::size_t begin = std::string::npos;
  std::size_t end = 0;
};

Range FindSection(const Parsed& p, std::string_view section, std::size_t from = 0) {
  Range r;
  for (std::size_t i = from; i < p.lines.size(); ++i) {
    if (p.lines[i].kind == LineKind::Section && EqualsNoCase(p.lines[i].name, section)) {
      r.begin = i;
      r.end = i + 1;
      while (r.end < p.lines.size() && p.lines[r.end].kind != LineKind::Section) ++r.end;
      return r;
    }
  }
  return r;
}

void EnsureLastLineEnded(Parsed& p) {
  if (!p.lines.empty() && p.lines.back().eol.empty()) p.lines.back().eol = "\r\n";
}

// One write of a key (or a section) applied to the parsed lines; true when
// anything changed.
bool ApplyWrite(Parsed& parsed, std::string_view section, std::optional<std::string_view> key,
                std::optional<std::string_view> value) {
  Parsed* p = &parsed;
  bool changed = false;

  if (!key) {
    // Delete every section of that name, with all its lines.
    for (Range r = FindSection(*p, section); r.begin != std::string::npos; r = FindSection(*p, section, r.begin)) {
      p->lines.erase(p->lines.begin() + static_cast<std::ptrdiff_t>(r.begin),
                     p->lines.begin() + static_cast<std::ptrdiff_t>(r.end));
      changed = true;
    }
  } else {
    Range r = FindSection(*p, section);
    if (!value) {
      if (r.begin != std::string::npos) {
        for (std::size_t i = r.end; i-- > r.begin + 1;) {
          if (p->lines[i].kind == LineKind::Key && EqualsNoCase(p->lines[i].name, *key)) {
            p->lines.erase(p->lines.begin() + static_cast<std::ptrdiff_t>(i));
            changed = true;
          }
        }
      }
    } else if (r.begin == std::string::npos) {
      EnsureLastLineEnded(*p);
      p->lines.push_back(MakeLine("[" + std::string(section) + "]"));
      p->lines.push_back(MakeLine(std::string(*key) + "=" + std::string(*value)));
      changed = true;
    } else {
      std::size_t found = std::string::npos;
      for (std::size_t i = r.begin + 1; i < r.end; ++i) {
        if (p->lines[i].kind == LineKind::Key && EqualsNoCase(p->lines[i].name, *key)) {
          found = i;
          break;
        }
      }
      if (found != std::string::npos) {
        Line& line = p->lines[found];
        std::string stored = Utf8ToCp932(line.name + "=" + std::string(*value));
        if (stored != line.raw) {
          std::string eol = line.eol.empty() ? std::string() : line.eol;
          line = MakeLine(line.name + "=" + std::string(*value));
          line.eol = eol;
          changed = true;
        }
      } else {
        std::size_t at = r.end;
        while (at > r.begin + 1 && p->lines[at - 1].kind == LineKind::Blank) --at;
        if (at == p->lines.size()) EnsureLastLineEnded(*p);
        else if (at > 0 && p->lines[at - 1].eol.empty()) p->lines[at - 1].eol = "\r\n";
        p->lines.insert(p->lines.begin() + static_cast<std::ptrdiff_t>(at),
                        MakeLine(std::string(*key) + "=" + std::string(*value)));
        changed = true;
      }
    }
  }

  return changed;
}

}  // namespace

std::string ReadProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                            std::size_t room, const fs::path& file) {
  Stamp stamp;
  auto parsed = TheCache().Get(file, stamp);
  if (const std::string* value = FindValue(*parsed, section, key)) return CutToRoom(*value, room);
  return CutToRoom(TrimRight(defaultValue), room);
}

int ReadProfileInt(std::string_view section, std::string_view key, int defaultValue, const fs::path& file) {
  Stamp stamp;
  auto parsed = TheCache().Get(file, stamp);
  const std::string* value = FindValue(*parsed, section, key);
  if (!value) return defaultValue;
  return LeadingDigitsValue(*value);
}

bool WriteProfileText(std::string_view section, std::optional<std::string_view> key,
                      std::optional<std::string_view> value, const fs::path& file) {
  Stamp stamp;
  auto current = TheCache().Get(file, stamp, false);
  auto p = std::make_shared<Parsed>(*current);
  bool changed = ApplyWrite(*p, section, key, value);
  if (!changed) return true;
  if (!WriteFileAtomic(file, Serialise(*p))) return false;
  BuildIndex(*p);
  TheCache().Store(file, p);
  return true;
}

bool WriteProfileTexts(std::string_view section, const std::vector<ProfileChange>& changes, const fs::path& file) {
  Stamp stamp;
  auto current = TheCache().Get(file, stamp, false);
  auto p = std::make_shared<Parsed>(*current);
  bool changed = false;
  for (const ProfileChange& c : changes) {
    std::optional<std::string_view> value;
    if (c.value) value = *c.value;
    if (ApplyWrite(*p, section, c.key, value)) changed = true;
  }
  if (!changed) return true;
  if (!WriteFileAtomic(file, Serialise(*p))) return false;
  BuildIndex(*p);
  TheCache().Store(file, p);
  return true;
}

bool WriteProfileChanges(const std::vector<ProfileSectionChange>& changes, const fs::path& file) {
  Stamp stamp;
  auto current = TheCache().Get(file, stamp, false);
  auto p = std::make_shared<Parsed>(*current);
  bool changed = false;
  for (const ProfileSectionChange& c : changes) {
    std::optional<std::string_view> key;
    std::optional<std::string_view> value;
    if (c.key) key = *c.key;
    if (c.value) value = *c.value;
    if (ApplyWrite(*p, c.section, key, value)) changed = true;
  }
  if (!changed) return true;
  if (!WriteFileAtomic(file, Serialise(*p))) return false;
  BuildIndex(*p);
  TheCache().Store(file, p);
  return true;
}

void ForgetCachedProfiles() { TheCache().Clear(); }

ProfileReadBatch::ProfileReadBatch() { ++tBatchDepth; }

ProfileReadBatch::~ProfileReadBatch() {
  if (--tBatchDepth == 0) TheCache().EndBatch();
}

}  // namespace common
