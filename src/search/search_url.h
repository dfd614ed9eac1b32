// The URL of one result page of the search service.
//
// "https://" + host + "/?kw=" + the keyword as percent-encoded UTF-8, then "&p=" + the
// page number on every page but the first, then the site key of the chosen site
// (none for a position outside 0..4).
#pragma once

#include "text/text_types.h"

namespace vorel {

// The site key of position `site` of the site box ("&lx=kuwo" ...), or empty.
Text SiteKey(int site);
Text SearchUrl(const Text& host, const Text& keyword, int site, int pageIndex);

}  // namespace vorel
