// Decoding a page from the character set it declares into code page 936.
//
// `charset` is any name iconv knows (utf-8, big5, iso-8859-1, shift_jis, euc-kr,
// windows-1252, gbk, ...), in any letter case. Bytes that are not valid in that charset
// become U+FFFD and then "?", characters that code page 936 lacks become "?", and the
// euro sign becomes 0x80. An unknown charset gives nullopt; nothing else fails.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorel::platform {

std::optional<std::string> DecodeToCp936(std::string_view charset, std::string_view bytes);

}  // namespace vorel::platform
