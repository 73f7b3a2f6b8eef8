// UTF-8 <-> UTF-16 conversion for the Windows build. Inside the program every
// string is UTF-8; every Win32 call takes and gives UTF-16 through these, so
// names that the ANSI code page cannot spell still work.
#pragma once

#include <string>

namespace wide {

// Invalid UTF-8 sequences become U+FFFD; the length is kept exactly, so text
// with embedded NULs converts whole.
std::wstring FromUtf8(const std::string& text);

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(const std::wstring& text);
std::string ToUtf8(const wchar_t* text, std::size_t length);

// A wide C string (NUL-terminated; null gives empty) as UTF-8.
std::string ToUtf8(const wchar_t* text);

}  // namespace wide
