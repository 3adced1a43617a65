// Code page 932 (Shift-JIS as Windows defines it) <-> UTF-8.
//
// Inside the programs every string is UTF-8; files and widths are code page
// 932. Widths in this system are byte counts of code page 932, so every cut
// goes through CutToBytes, which never splits a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// Decodes code page 932 bytes. A byte sequence that is not valid code page
// 932 (a stray trail byte, a lead byte at the end, an unmapped pair) becomes
// U+FFFD, one per offending byte, so nothing is ever read past the input.
std::string Cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 as code page 932. A character that code page 932 cannot
// hold, and any malformed UTF-8, becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);

// True when every byte decodes (round trip safe).
bool IsValidCp932(std::string_view bytes);

// Width of a UTF-8 text in code page 932 bytes ('?' counts 1).
std::size_t Cp932Width(std::string_view utf8);

// The longest prefix of utf8 whose code page 932 width is at most maxBytes,
// ending on a character boundary.
std::string CutToBytes(std::string_view utf8, std::size_t maxBytes);

// The same for a buffer of `room` bytes that holds a terminating NUL: at most
// room - 1 bytes of text (room 0 gives the empty text).
std::string CutToRoom(std::string_view utf8, std::size_t room);

}  // namespace common
