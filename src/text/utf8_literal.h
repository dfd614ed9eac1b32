// The system's own Chinese texts are written in UTF-8 in the source and used as code
// page 936 bytes: FromUtf8("百花香") gives B0 D9 BB A8 CF E3.
#pragma once

#include <string_view>

#include "platform/codepage/code_page_936.h"
#include "text/text_types.h"

namespace vorel {

inline Text FromUtf8(std::string_view utf8) { return platform::Utf8ToCp936(utf8); }

}  // namespace vorel
