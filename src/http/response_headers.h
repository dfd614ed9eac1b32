// Reading what the request routines need out of a raw response header block (lines
// separated by CR LF, as received).
//
// ResponseStatusText: bytes 10.. of the status line ("200 OK" of "HTTP/1.1 200 OK"),
//   ending at the line's first CR or LF.
// AppendSetCookies: the value of every line whose name is "Set-Cookie" (from the colon
//   up to the first ";", trimmed, and never past a CR or LF left inside the line), each
//   appended to `cookies` followed by "; "; then one trailing "; " is cut off. A line
//   with an empty value adds nothing.
// LastLocation: the value after "Location: " (name in any letter case) on the last such
//   line, ending at the first CR or LF; nullopt when no line has one.
// ResponseHeaderLineCount: how many lines the block has.
#pragma once

#include <optional>

#include "text/text_types.h"

namespace vorel {

Text ResponseStatusText(const Text& headers);
Text AppendSetCookies(Text cookies, const Text& headers);
std::optional<Text> LastLocation(const Text& headers);
int ResponseHeaderLineCount(const Text& headers);

}  // namespace vorel
