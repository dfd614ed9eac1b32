#include "search/search_url.h"

#include <array>

#include "text/code_page_conversions.h"
#include "text/text_primitives.h"

namespace vorel {

Text SiteKey(int site) {
  static constexpr std::array<const char*, 5> kKeys = {"&lx=kuwo", "&lx=qq", "&lx=wy", "&lx=kg", "&lx=migu"};
  if (site < 0 || site >= static_cast<int>(kKeys.size())) return {};
  return kKeys[static_cast<size_t>(site)];
}

Text SearchUrl(const Text& host, const Text& keyword, int site, int pageIndex) {
  const Text encoded = UrlEncodeUtf8(keyword);
  if (pageIndex != 0)
    return ConcatText("https://", host, "/?kw=", encoded, "&p=", NumberToText(pageIndex), SiteKey(site));
  return ConcatText("https://", host, "/?kw=", encoded, SiteKey(site));
}

}  // namespace vorel
