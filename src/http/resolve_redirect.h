// ResolveRedirect: where a link redirects to.
//
// Asks the link once without following redirects (InetFetch, default headers) and returns
// the first group of "Location:\s*(.+)" in the response headers (any letter case), or a
// copy of the link when there is no such line or the request failed. Empty for an empty
// link. Blocks the caller; no window events run.
#pragma once

#include "text/text_types.h"

namespace vorel {

Text ResolveRedirect(const Text& url);

}  // namespace vorel
