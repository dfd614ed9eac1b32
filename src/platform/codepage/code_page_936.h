// Conversions between code page 936 (GBK as Windows defines it), UTF-16 and UTF-8.
//
// Decoding follows Windows' table: glibc's CP936 for the common range, byte 0x80 as
// the euro sign, the three user-defined areas (AAA1-AFFE, F8A1-FEFE, A140-A7A0) as
// private-use characters U+E000.., and 0xFF as U+F8F5. Bytes that form no character
// of the code page become "?".
// Encoding gives the same bytes back; a base letter followed by a combining mark is
// composed first where the code page has the precomposed letter (the pinyin vowels);
// any character the code page lacks becomes "?".
#pragma once

#include <string>
#include <string_view>

namespace vorel::platform {

std::u16string Cp936ToUtf16(std::string_view bytes);
std::string Utf16ToCp936(std::u16string_view units);

// UTF-8 <-> UTF-16. Malformed UTF-8 and lone surrogates become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);
std::string Utf16ToUtf8(std::u16string_view units);

std::string Cp936ToUtf8(std::string_view bytes);
std::string Utf8ToCp936(std::string_view bytes);

}  // namespace vorel::platform
