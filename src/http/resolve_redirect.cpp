#include "http/resolve_redirect.h"

#include "http/inet_fetch.h"
#include "text/regexp_object.h"

namespace vorel {

Text ResolveRedirect(const Text& url) {
  RegExpObject regExp;
  Text responseHeaders;
  InetFetch(url, {.responseHeaders = &responseHeaders, .noRedirect = true});
  regExp.CreateAndExecute("Location:\\s*(.+)", responseHeaders);
  if (regExp.MatchCount() < 1) return url;
  return regExp.SubMatchText(1, 1);
}

}  // namespace vorel
