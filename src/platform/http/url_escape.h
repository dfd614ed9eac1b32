// Making a URL that people write acceptable on the wire.
//
// EscapeUrlBytes percent-encodes every blank, control byte and byte of 0x80 or above
// (upper-case hex) and leaves everything else, "%" included, as it is; a URL that is
// already plain ASCII comes back unchanged.
#pragma once

#include <string>
#include <string_view>

namespace vorel::platform {

std::string EscapeUrlBytes(std::string_view url);

}  // namespace vorel::platform
