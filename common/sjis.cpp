#include "common/sjis.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace common {
namespace {

// Both directions are table driven. The tables are built once from the
// platform's own code page 932 converter, so the mapping is exactly the one
// the rest of the platform uses (Microsoft's, with the NEC and IBM
// extensions), and conversion afterwards costs a table look-up per character.
struct Tables {
  // Decoding: single bytes, then pairs indexed by (lead << 8 | trail).
  std::array<char32_t, 256> single{};        // 0 = not a single-byte char
  std::vector<char32_t> pair;                // 65536 entries, 0 = unmapped
  // Encoding: code point (BMP) -> code page 932 value (1 or 2 bytes), 0 = none.
  std::vector<std::uint16_t> encode;         // 65536 entries
};

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

char32_t DecodeWithPlatform(const unsigned char* bytes, std::size_t n) {
#ifdef _WIN32
  wchar_t out[2] = {};
  int got = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                                static_cast<int>(n), out, 2);
  return got == 1 ? static_cast<char32_t>(out[0]) : 0;
#else
  static iconv_t cd = iconv_open("UTF-32LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {static_cast<char>(bytes[0]), n > 1 ? static_cast<char>(bytes[1]) : '\0'};
  char* inp = in;
  std::size_t inLeft = n;
  char out[8] = {};
  char* outp = out;
  std::size_t outLeft = sizeof out;
  if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
      sizeof out - outLeft != 4)
    return 0;
  return static_cast<char32_t>(static_cast<unsigned char>(out[0]) |
                               (static_cast<unsigned char>(out[1]) << 8) |
                               (static_cast<unsigned char>(out[2]) << 16) |
                               (static_cast<unsigned char>(out[3]) << 24));
#endif
}

const Tables& GetTables() {
  static Tables t;
  static std::once_flag once;
  std::call_once(once, [] {
    t.pair.assign(65536, 0);
    t.encode.assign(65536, 0);
    for (unsigned b = 0; b < 256; ++b) {
      if (IsLead(static_cast<unsigned char>(b))) continue;
      unsigned char byte = static_cast<unsigned char>(b);
      char32_t cp = b < 0x80 ? static_cast<char32_t>(b) : DecodeWithPlatform(&byte, 1);
      t.single[b] = cp;
      if (cp != 0 && cp < 0x10000 && t.encode[cp] == 0) t.encode[cp] = static_cast<std::uint16_t>(b);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLead(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        unsigned char pairBytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
        char32_t cp = DecodeWithPlatform(pairBytes, 2);
        if (cp == 0) continue;
        unsigned code = lead << 8 | trail;
        t.pair[code] = cp;
        // Several pairs decode to one character (NEC and IBM duplicates);
        // the first, lowest pair is the one Windows writes back.
        if (cp < 0x10000 && t.encode[cp] == 0) t.encode[cp] = static_cast<std::uint16_t>(code);
      }
    }
    t.single[0] = 0;  // NUL is text's end, never a character here
  });
  return t;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Reads one UTF-8 character at `i`; returns its length and sets cp
// (0xFFFFFFFF for malformed input, length 1).
std::size_t NextUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len = b0 >= 0xF0 && b0 < 0xF5 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 < 0xE0 ? 2 : 0;
  if (len == 0 || i + len > s.size()) {
    cp = 0xFFFFFFFF;
    return 1;
  }
  char32_t v = len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (std::size_t k = 1; k < len; ++k) {
    auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      cp = 0xFFFFFFFF;
      return 1;
    }
    v = v << 6 | (b & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < kMin[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
    cp = 0xFFFFFFFF;
    return 1;
  }
  cp = v;
  return len;
}

std::size_t EncodedWidth(const Tables& t, char32_t cp) {
  if (cp < 0x80) return 1;
  if (cp >= 0x10000) return 1;
  std::uint16_t code = t.encode[cp];
  return code > 0xFF ? 2 : 1;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
  const Tables& t = GetTables();
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (std::size_t i = 0; i < bytes.size();) {
    auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    if (IsLead(b) && i + 1 < bytes.size()) {
      char32_t cp = t.pair[b << 8 | static_cast<unsigned char>(bytes[i + 1])];
      if (cp != 0) {
        AppendUtf8(out, cp);
        i += 2;
        continue;
      }
    }
    char32_t cp = IsLead(b) ? 0 : t.single[b];
    AppendUtf8(out, cp != 0 ? cp : 0xFFFD);
    ++i;
  }
  return out;
}

bool IsValidCp932(std::string_view bytes) {
  const Tables& t = GetTables();
  for (std::size_t i = 0; i < bytes.size();) {
    auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      ++i;
    } else if (IsLead(b)) {
      if (i + 1 >= bytes.size() || t.pair[b << 8 | static_cast<unsigned char>(bytes[i + 1])] == 0)
        return false;
      i += 2;
    } else {
      if (t.single[b] == 0) return false;
      ++i;
    }
  }
  return true;
}

std::string Utf8ToCp932(std::string_view utf8) {
  const Tables& t = GetTables();
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    i += NextUtf8(utf8, i, cp);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    std::uint16_t code = cp < 0x10000 ? t.encode[cp] : 0;
    if (code == 0) {
      out += '?';
    } else if (code > 0xFF) {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    } else {
      out += static_cast<char>(code);
    }
  }
  return out;
}

std::size_t Cp932Width(std::string_view utf8) {
  const Tables& t = GetTables();
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    i += NextUtf8(utf8, i, cp);
    width += cp == 0xFFFFFFFF ? 1 : EncodedWidth(t, cp);
  }
  return width;
}

std::string CutToBytes(std::string_view utf8, std::size_t maxBytes) {
  const Tables& t = GetTables();
  std::size_t width = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp;
    std::size_t len = NextUtf8(utf8, i, cp);
    std::size_t w = cp == 0xFFFFFFFF ? 1 : EncodedWidth(t, cp);
    if (width + w > maxBytes) break;
    width += w;
    i += len;
  }
  return std::string(utf8.substr(0, i));
}

std::string CutToRoom(std::string_view utf8, std::size_t room) {
  return room == 0 ? std::string() : CutToBytes(utf8, room - 1);
}

}  // namespace common
