// Request and response header blocks: lines separated by CR LF, each "name:value".
//
// NormalizeHeaders drops lines without ":" and capitalises the first letter of every
// dash-separated piece of each name, leaving everything from the colon on untouched.
// HeaderValue reads the first line that begins with the name (byte-exact).
#pragma once

#include <string>
#include <vector>

#include "text/text_types.h"

namespace vorel {

Text NormalizeHeaders(const Text& headers);
// The first byte upper-cased (ASCII letters only), the rest unchanged.
Text CapitalizeFirst(const Text& text);
// The bytes after the line's first ":", trimmed at both ends; empty without ":".
Text HeaderLineValue(const Text& line);
// The value after "name: " on the first line starting with `name`; empty when none.
Text HeaderValue(const Text& headers, const Text& name);

// The lines of a request header block (CR LF separated) as a client sends them; empty
// lines carry no header and are left out.
std::vector<std::string> HeaderLines(const Text& block);

}  // namespace vorel
