// Percent-encoding as the service reads and writes it: strict decoding of query values
// and path pieces (a malformed escape is an error, not passed through), UTF-8
// validation, and encoding of paths for the links that the service hands out.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace catalog {

// Decodes %XX escapes (two hexadecimal digits, either case); with `plusIsSpace` a "+"
// stands for a blank as in HTML form values. Nothing when an escape is malformed.
std::optional<std::string> PercentDecode(std::string_view text, bool plusIsSpace);

// Encodes every byte except letters, digits, "-", ".", "_", "~" and "/" as %XX.
std::string PercentEncodePath(std::string_view path);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsValidUtf8(std::string_view text);

using QueryPairs = std::vector<std::pair<std::string, std::string>>;

// Splits a raw query ("a=1&b=%E7%99%BE") at "&" and "=" and decodes keys and values.
// Empty pieces ("a=1&&b=2") are skipped; a key without "=" has an empty value.
// Nothing when any piece has a malformed escape or decodes to invalid UTF-8.
std::optional<QueryPairs> ParseQuery(std::string_view query);

// The value of the first pair named `key`, if any.
std::optional<std::string> QueryValue(const QueryPairs& pairs, std::string_view key);

}  // namespace catalog
