// The profile rules over the bytes of a file: every key that can be listed
// can be read; a file read and written back unchanged keeps its bytes; a
// write changes one line and reads back; other keys keep their values.
// The input is the file, followed by the edits to make (after a 0xFF 0x00
// pair, when there is one).
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "fuzz_check.h"

using common::ProfileDocument;

namespace {

// What a read returns for a value written as given: blanks around it and
// one pair of the same quote removed.
std::string ReadsAs(std::string_view value) {
  std::string_view v = common::Trim(value);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

// Names that the platform can write and read back as one name.
std::string SafeName(FuzzedDataProvider& in) {
  std::string name = in.ConsumeRandomLengthString(12);
  std::string out;
  for (char c : name) {
    if (c == '\r' || c == '\n' || c == '\0' || c == '[' || c == ']' || c == '=' || c == ';') continue;
    if (static_cast<unsigned char>(c) >= 0x80) continue;
    out += c;
  }
  if (common::Trim(out).empty()) out = "k" + out;
  return out;
}

using Values = std::map<std::pair<std::string, std::string>, std::string>;

Values AllValues(const ProfileDocument& doc) {
  Values all;
  for (const std::string& s : doc.SectionNames()) {
    for (const std::string& k : doc.KeyNames(s)) {
      const std::string* v = doc.Find(s, k);
      FUZZ_CHECK(v != nullptr);
      FUZZ_CHECK(fuzzsupport::IsUtf8(*v));
      all[{common::ToLowerAscii(s), common::ToLowerAscii(k)}] = *v;
    }
  }
  return all;
}

// Old and new differ in one run of bytes in which the old holds at most
// one line end: one line replaced or inserted, nothing else re-flowed.
void CheckOneLineChanged(const std::string& before, const std::string& after) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    ++suffix;
  std::string_view removed = std::string_view(before).substr(prefix, before.size() - prefix - suffix);
  int ends = 0;
  for (std::size_t i = 0; i < removed.size(); ++i) {
    if (removed[i] == '\n' || (removed[i] == '\r' && (i + 1 >= removed.size() || removed[i + 1] != '\n'))) ++ends;
  }
  FUZZ_CHECK(ends <= 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  std::size_t cut = all.find(std::string_view("\xFF\x00", 2));
  std::string_view file = cut == std::string_view::npos ? all : all.substr(0, cut);
  std::string_view edits = cut == std::string_view::npos ? std::string_view() : all.substr(cut + 2);

  ProfileDocument doc(file);
  FUZZ_CHECK(doc.Bytes() == file);  // read and written back unchanged: same bytes
  Values values = AllValues(doc);

  FuzzedDataProvider in(reinterpret_cast<const uint8_t*>(edits.data()), edits.size());
  for (int step = 0; step < 4 && in.remaining_bytes() > 0; ++step) {
    const std::string before = doc.Bytes();
    const int op = in.ConsumeIntegralInRange<int>(0, 4);
    std::string section = op == 4 || in.ConsumeBool() ? SafeName(in) : std::string();
    if (section.empty()) {
      auto names = doc.SectionNames();
      section = names.empty() ? "S" : names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)];
    }
    std::string key = SafeName(in);
    std::string value = in.ConsumeRandomLengthString(40);
    const bool unsafe = (value + section).find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
    const bool nameSafe = section.find_first_of(std::string_view("\r\n\0[]=;", 7)) == std::string::npos &&
                          !common::Trim(section).empty() && common::IsValidCp932(common::Utf8ToCp932(section));

    if (op <= 2) {
      ProfileDocument::Edit e = doc.Apply(section, key, value);
      if (unsafe) {
        FUZZ_CHECK(e == ProfileDocument::Edit::Refused);
        FUZZ_CHECK(doc.Bytes() == before);
        continue;
      }
      FUZZ_CHECK(e != ProfileDocument::Edit::Refused);
      const std::string after = doc.Bytes();
      ProfileDocument again(after);
      FUZZ_CHECK(again.Bytes() == after);
      // Values that code page 932 holds read back as written.
      if (nameSafe && common::Cp932ToUtf8(common::Utf8ToCp932(value)) == value) {
        const std::string* v = again.Find(section, key);
        FUZZ_CHECK(v != nullptr);
        FUZZ_CHECK(*v == ReadsAs(value));
      }
      if (nameSafe) {
        // One line replaced or added (a new section adds two, at the end).
        bool newSection = true;
        for (const auto& s : ProfileDocument(before).SectionNames())
          if (common::EqualsNoCase(s, common::Trim(section))) newSection = false;
        if (!newSection) CheckOneLineChanged(before, after);
        // Every other key keeps its value.
        Values now = AllValues(again);
        for (const auto& [k, v] : values) {
          if (k.first == common::ToLowerAscii(common::Trim(section)) && k.second == common::ToLowerAscii(common::Trim(key)))
            continue;
          auto it = now.find(k);
          FUZZ_CHECK(it != now.end() && it->second == v);
        }
      }
    } else if (op == 3) {
      doc.Apply(section, key, std::nullopt);
      FUZZ_CHECK(doc.Find(section, key) == nullptr || !nameSafe);
    } else {
      doc.Apply(section, std::nullopt, std::nullopt);
      if (nameSafe) FUZZ_CHECK(doc.KeyNames(section).empty());
    }
    values = AllValues(doc);
    FUZZ_CHECK(ProfileDocument(doc.Bytes()).Bytes() == doc.Bytes());
  }
  return 0;
}
