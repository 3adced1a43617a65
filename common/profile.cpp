#include "common/profile.h"

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

enum class LineKind { Other, Blank, Comment, Section, Key };

struct Line {
  std::string raw;    // code page 932 bytes, without the line end
  std::string eol;    // "\r\n", "\n", "\r" or "" (a last line without a line end)
  LineKind kind = LineKind::Other;
  std::string name;   // section or key name, UTF-8, blanks around it removed
  std::string value;  // key value, UTF-8, blanks and one pair of quotes removed
};

struct ProfileDocument::Lines {
  std::vector<Line> lines;
  // first occurrence of each section (lower-case name) -> its keys
  // (lower-case name -> value of the first occurrence)
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> index;
};

namespace {

// The names callers pass are compared and written without the blanks around them.
std::string_view TrimName(std::string_view name) { return Trim(name); }

bool HoldsLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

void ClassifyLine(Line& line) {
  // Parsed as UTF-8: in code page 932 ']' and other ASCII marks can be the
  // second byte of a double-byte character.
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
    std::string_view inside = t.substr(1);
    std::size_t close = inside.find(']');
    if (close != std::string_view::npos) inside = inside.substr(0, close);
    line.kind = LineKind::Section;
    line.name = std::string(Trim(inside));
    return;
  }
  std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    line.kind = LineKind::Other;  // a bare word: not a key that can be read
    return;
  }
  line.kind = LineKind::Key;
  line.name = std::string(TrimRight(t.substr(0, eq)));
  std::string_view v = Trim(t.substr(eq + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  line.value = std::string(v);
}

void BuildIndex(ProfileDocument::Lines& p) {
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

void SplitLines(std::string_view bytes, std::vector<Line>& lines) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t brk = bytes.find_first_of("\r\n", start);
    Line line;
    if (brk == std::string_view::npos) {
      line.raw = std::string(bytes.substr(start));
      start = bytes.size();
    } else {
      line.raw = std::string(bytes.substr(start, brk - start));
      if (bytes[brk] == '\r' && brk + 1 < bytes.size() && bytes[brk + 1] == '\n') {
        line.eol = "\r\n";
      } else {
        line.eol = std::string(1, bytes[brk]);
      }
      start = brk + line.eol.size();
    }
    ClassifyLine(line);
    lines.push_back(std::move(line));
  }
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

Range FindSection(const std::vector<Line>& lines, std::string_view section, std::size_t from = 0) {
  Range r;
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (lines[i].kind == LineKind::Section && EqualsNoCase(lines[i].name, section)) {
      r.begin = i;
      r.end = i + 1;
      while (r.end < lines.size() && lines[r.end].kind != LineKind::Section) ++r.end;
      return r;
    }
  }
  return r;
}

// Puts CR LF after line `i` when it is the last line and has no line end,
// before anything is added after it.
void EndLineBefore(std::vector<Line>& lines, std::size_t at) {
  if (at > 0 && at <= lines.size() && lines[at - 1].eol.empty()) lines[at - 1].eol = "\r\n";
}

bool DeleteSection(std::vector<Line>& lines, std::string_view section) {
  bool changed = false;
  // Every section of that name goes; its comment and blank lines stay where
  // they were (they now end the section before).
  for (Range r = FindSection(lines, section); r.begin != std::string::npos; r = FindSection(lines, section, r.begin)) {
    std::size_t kept = r.begin;
    for (std::size_t i = r.begin; i < r.end; ++i) {
      LineKind k = lines[i].kind;
      if (k == LineKind::Comment || k == LineKind::Blank) lines[kept++] = std::move(lines[i]);
    }
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(kept), lines.begin() + static_cast<std::ptrdiff_t>(r.end));
    changed = true;
    r.begin = kept;
  }
  return changed;
}

bool DeleteKey(std::vector<Line>& lines, std::string_view section, std::string_view key) {
  bool changed = false;
  Range r = FindSection(lines, section);
  if (r.begin == std::string::npos) return false;
  for (std::size_t i = r.end; i-- > r.begin + 1;) {
    if (lines[i].kind == LineKind::Key && EqualsNoCase(lines[i].name, key)) {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      changed = true;
    }
  }
  return changed;
}

bool SetKey(std::vector<Line>& lines, std::string_view section, std::string_view key, std::string_view value) {
  Range r = FindSection(lines, section);
  std::string keyLine = std::string(key) + "=" + std::string(value);
  if (r.begin == std::string::npos) {
    EndLineBefore(lines, lines.size());
    lines.push_back(MakeLine("[" + std::string(section) + "]"));
    lines.push_back(MakeLine(keyLine));
    return true;
  }
  std::size_t lastKey = r.begin;
  for (std::size_t i = r.begin + 1; i < r.end; ++i) {
    Line& line = lines[i];
    if (line.kind == LineKind::Key && EqualsNoCase(line.name, key)) {
      std::string stored = line.name + "=" + std::string(value);
      if (Utf8ToCp932(stored) == line.raw) return false;
      std::string eol = line.eol.empty() ? std::string("\r\n") : line.eol;
      line = MakeLine(stored);
      line.eol = eol;
      return true;
    }
    // A bare word counts as a key line for the placement: the platform reads
    // it as a key without a value.
    if (line.kind == LineKind::Key || line.kind == LineKind::Other) lastKey = i;
  }
  std::size_t at = lastKey + 1;
  EndLineBefore(lines, at);
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), MakeLine(keyLine));
  return true;
}

std::string Serialise(const std::vector<Line>& lines) {
  std::size_t size = 0;
  for (const Line& line : lines) size += line.raw.size() + line.eol.size();
  std::string out;
  out.reserve(size);
  for (const Line& line : lines) {
    out += line.raw;
    out += line.eol;
  }
  return out;
}

}  // namespace

ProfileDocument::ProfileDocument() : lines_(std::make_unique<Lines>()) {}

ProfileDocument::ProfileDocument(std::string_view bytes) : lines_(std::make_unique<Lines>()) {
  SplitLines(bytes, lines_->lines);
  BuildIndex(*lines_);
}

ProfileDocument::ProfileDocument(const ProfileDocument& other) : lines_(std::make_unique<Lines>(*other.lines_)) {}

ProfileDocument& ProfileDocument::operator=(const ProfileDocument& other) {
  if (this != &other) *lines_ = *other.lines_;
  return *this;
}

ProfileDocument::~ProfileDocument() = default;

const std::string* ProfileDocument::Find(std::string_view section, std::string_view key) const {
  auto s = lines_->index.find(ToLowerAscii(TrimName(section)));
  if (s == lines_->index.end()) return nullptr;
  auto k = s->second.find(ToLowerAscii(TrimName(key)));
  return k == s->second.end() ? nullptr : &k->second;
}

std::vector<std::string> ProfileDocument::SectionNames() const {
  std::vector<std::string> names;
  std::unordered_map<std::string, bool> seen;
  for (const Line& line : lines_->lines) {
    if (line.kind == LineKind::Section && seen.try_emplace(ToLowerAscii(line.name), true).second) {
      names.push_back(line.name);
    }
  }
  return names;
}

std::vector<std::string> ProfileDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  Range r = FindSection(lines_->lines, TrimName(section));
  if (r.begin == std::string::npos) return names;
  std::unordered_map<std::string, bool> seen;
  for (std::size_t i = r.begin + 1; i < r.end; ++i) {
    const Line& line = lines_->lines[i];
    if (line.kind == LineKind::Key && seen.try_emplace(ToLowerAscii(line.name), true).second) {
      names.push_back(line.name);
    }
  }
  return names;
}

ProfileDocument::Edit ProfileDocument::Apply(std::string_view section, std::optional<std::string_view> key,
                                             std::optional<std::string_view> value) {
  // A line break or NUL would split the line on disk and the write could not
  // be read back as written.
  if (HoldsLineBreakOrNul(section) || (key && HoldsLineBreakOrNul(*key)) || (value && HoldsLineBreakOrNul(*value))) {
    return Edit::Refused;
  }
  std::string_view s = TrimName(section);
  bool changed;
  if (!key) {
    changed = DeleteSection(lines_->lines, s);
  } else if (!value) {
    changed = DeleteKey(lines_->lines, s, TrimName(*key));
  } else {
    changed = SetKey(lines_->lines, s, TrimName(*key), *value);
  }
  if (!changed) return Edit::Unchanged;
  BuildIndex(*lines_);
  return Edit::Changed;
}

std::string ProfileDocument::Bytes() const { return Serialise(lines_->lines); }

namespace {

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

// Depth of the read batches open on this thread: inside one, a file already
// checked is trusted without looking at the disk again.
thread_local int tBatchDepth = 0;

// Parsed files, validated by their stamp at every use. Small: a program uses
// a handful of profile files at a time.
class Cache {
 public:
  // Writes pass trustBatch = false: a write always starts from the file as
  // it is on disk, so it never loses a change another program made.
  std::shared_ptr<const ProfileDocument> Get(const fs::path& file, bool trustBatch = true) {
    std::string key = file.string();
    if (tBatchDepth > 0 && trustBatch) {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = entries_.find(key);
      if (it != entries_.end() && it->second.checkedInBatch) return it->second.parsed;
    }
    Stamp stamp = StampOf(file);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = entries_.find(key);
      if (it != entries_.end() && it->second.stamp == stamp) {
        it->second.checkedInBatch = tBatchDepth > 0;
        return it->second.parsed;
      }
    }
    std::shared_ptr<ProfileDocument> parsed;
    std::string bytes;
    if (stamp.exists && ReadFileBytes(file, bytes)) {
      parsed = std::make_shared<ProfileDocument>(bytes);
    } else {
      parsed = std::make_shared<ProfileDocument>();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    Put(key, stamp, parsed);
    return parsed;
  }

  void Store(const fs::path& file, std::shared_ptr<const ProfileDocument> parsed) {
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
    std::shared_ptr<const ProfileDocument> parsed;
    bool checkedInBatch = false;
  };
  void Put(const std::string& key, const Stamp& stamp, std::shared_ptr<const ProfileDocument> parsed) {
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

// Applies `edit` to a copy of the file as it is on disk and writes the file
// once when anything changed.
template <typename EditFn>
bool EditFile(const fs::path& file, EditFn edit) {
  auto doc = std::make_shared<ProfileDocument>(*TheCache().Get(file, false));
  bool changed = false;
  if (!edit(*doc, changed)) return false;
  if (!changed) return true;
  if (!WriteFileAtomic(file, doc->Bytes())) return false;
  TheCache().Store(file, std::move(doc));
  return true;
}

}  // namespace

std::string ReadProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                            std::size_t room, const fs::path& file) {
  auto parsed = TheCache().Get(file);
  // The caller gets the value as the platform hands it over, a C string: a
  // NUL typed into the file ends it. Otherwise a path built from it would
  // name one file in std::string and another on the disk.
  if (const std::string* value = parsed->Find(section, key))
    return CutToRoom(std::string_view(*value).substr(0, value->find('\0')), room);
  // Only spaces: a tab at the end of a default is kept, as the platform does.
  while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
  return CutToRoom(defaultValue, room);
}

std::string ReadProfileKey(const filekeys::Key& key, const fs::path& file, std::string_view defaultValue) {
  return ReadProfileText(key.section, key.name, defaultValue, key.room, file);
}

int ReadProfileInt(std::string_view section, std::string_view key, int defaultValue, const fs::path& file) {
  auto parsed = TheCache().Get(file);
  const std::string* value = parsed->Find(section, key);
  if (!value) return defaultValue;
  return LeadingDigitsValue(*value);
}

bool WriteProfileText(std::string_view section, std::optional<std::string_view> key,
                      std::optional<std::string_view> value, const fs::path& file) {
  return EditFile(file, [&](ProfileDocument& doc, bool& changed) {
    ProfileDocument::Edit e = doc.Apply(section, key, value);
    changed = e == ProfileDocument::Edit::Changed;
    return e != ProfileDocument::Edit::Refused;
  });
}

bool WriteProfileTexts(std::string_view section, const std::vector<ProfileChange>& changes, const fs::path& file) {
  return EditFile(file, [&](ProfileDocument& doc, bool& changed) {
    for (const ProfileChange& c : changes) {
      std::optional<std::string_view> value;
      if (c.value) value = *c.value;
      ProfileDocument::Edit e = doc.Apply(section, c.key, value);
      if (e == ProfileDocument::Edit::Refused) return false;
      if (e == ProfileDocument::Edit::Changed) changed = true;
    }
    return true;
  });
}

bool WriteProfileChanges(const std::vector<ProfileSectionChange>& changes, const fs::path& file) {
  return EditFile(file, [&](ProfileDocument& doc, bool& changed) {
    for (const ProfileSectionChange& c : changes) {
      std::optional<std::string_view> key;
      std::optional<std::string_view> value;
      if (c.key) key = *c.key;
      if (c.value) value = *c.value;
      ProfileDocument::Edit e = doc.Apply(c.section, key, value);
      if (e == ProfileDocument::Edit::Refused) return false;
      if (e == ProfileDocument::Edit::Changed) changed = true;
    }
    return true;
  });
}

void ForgetCachedProfiles() { TheCache().Clear(); }

ProfileReadBatch::ProfileReadBatch() { ++tBatchDepth; }

ProfileReadBatch::~ProfileReadBatch() {
  if (--tBatchDepth == 0) TheCache().EndBatch();
}

}  // namespace common
