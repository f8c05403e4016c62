// Text of a data-type name. Names are stored as the bytes the file or the clipboard held; the
// benches that write them use UTF-8 or, on Japanese Windows desktops, CP932 (Shift-JIS). Every
// place that shows a name or writes it as text goes through this one rule.
#pragma once

#include <string>
#include <string_view>

namespace orvelle {

// UTF-8 text of a name's bytes: valid UTF-8 is returned unchanged, anything else is read as
// CP932. A byte that begins no CP932 character becomes U+FFFD and reading goes on with the next
// byte, so nothing vanishes and the result is always valid UTF-8.
std::string NameText(std::string_view bytes);

// One byte quoted in a message: the character it is on its own under NameText, or U+FFFD when it
// is none (a lead or stray byte), and for NUL, which would cut a C string short.
std::string ByteText(unsigned char byte);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The longest start of a name's bytes that holds at most maxBytes bytes and ends at a character
// boundary: of UTF-8 when the whole name is valid UTF-8, of CP932 otherwise (a lead byte 0x81..0x9F
// or 0xE0..0xFC with the byte after it is one character).
std::string CutName(std::string_view bytes, size_t maxBytes);

}  // namespace orvelle
