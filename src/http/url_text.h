// Splitting a URL into host, port and path.
//
// A URL is "http://" or "https://" (any letter case), the host, optionally ":" and a
// port, then path and query from the next "/" on. A URL without "http://" anywhere that
// does not start with "https://" is read as an http URL. Pure functions over code page
// 936 texts; nothing fails: odd input gives an empty host, port 0 or the path "/".
#pragma once

#include <optional>

#include "text/text_types.h"

namespace vorel {

// The host in lower case; its port only when keepPort is true. reduceToDomain keeps the
// last two labels. labelCount selects the label-counting algorithm (see the .cpp).
Text UrlHost(const Text& url, bool reduceToDomain = false, bool keepPort = false,
             std::optional<int> labelCount = std::nullopt);
// The explicit port, else 443 for https and 80 otherwise; a non-numeric port gives 0.
int UrlPort(const Text& url);
// Path and query (and fragment) from the first "/" after the host; "/" when there is none.
Text UrlPath(const Text& url);

}  // namespace vorel
