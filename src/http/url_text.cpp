#include "http/url_text.h"

#include "http/marker_text.h"
#include "text/text_primitives.h"

namespace vorel {

namespace {

const Text kHttp = "http://";
const Text kHttps = "https://";

Text DropPort(const Text& host) {
  const int colon = FindText(host, ":");
  return colon == -1 ? host : TextLeft(host, colon - 1);
}

// The host up to the first "/" after the scheme; a URL without "http://" anywhere that
// does not start with "https://" is read as http.
Text HostByScheme(const Text& url, bool reduceToDomain) {
  Text u = ToLower(url);
  if (TextRight(u, 1) != "/") u += "/";
  Text host;
  if (TextLeft(u, TextLength(kHttps)) == kHttps) {
    host = TextBetween(u, kHttps, "/");
  } else {
    if (FindText(u, kHttp) == -1) u = ConcatText(kHttp, u);
    host = TextBetween(u, kHttp, "/");
  }
  if (reduceToDomain) {
    const TextArray labels = SplitText(host, ".");
    const int count = labels.Count();
    if (count > 1) host = ConcatText(labels[count - 1], ".", labels[count]);
  }
  return host;
}

// The host cut to the label `labelCount` dots from its end and the one before it.
Text HostByLabels(const Text& url, bool reduceToDomain, int labelCount) {
  Text u = ReplaceText(ReplaceText(ToLower(url), kHttp, "", true), kHttps, "", true);
  const int slash = FindText(u, "/");
  if (slash != -1) u = TextLeft(u, slash - 1);
  const int length = TextLength(u);
  int h = length;
  for (int i = 0; i < labelCount; ++i) h = FindTextReverse(u, ".", h);
  const int l = FindTextReverse(u, ".", h);
  if (reduceToDomain) return TextRight(u, length - l);
  if (l != -1) {
    const int m = FindTextReverse(u, ".", l);
    if (m != -1) return TextRight(u, length - m);
  }
  return u;
}

// 1-based byte of the URL where the host search begins: right after the scheme that
// UrlHost read, so that a host such as "t" or "p" is not found inside "http://".
int HostSearchStart(const Text& url) {
  const Text u = ToLower(url);
  if (TextLeft(u, TextLength(kHttps)) == kHttps) return TextLength(kHttps) + 1;
  const int http = FindText(u, kHttp);
  return http == -1 ? 1 : http + TextLength(kHttp);
}

}  // namespace

Text UrlHost(const Text& url, bool reduceToDomain, bool keepPort, std::optional<int> labelCount) {
  const Text host =
      labelCount ? HostByLabels(url, reduceToDomain, *labelCount) : HostByScheme(url, reduceToDomain);
  return keepPort ? host : DropPort(host);
}

int UrlPort(const Text& url) {
  const Text host = UrlHost(url, false, true);
  const int colon = FindTextReverse(host, ":");
  if (colon != -1) {
    const Text port = TextRight(host, TextLength(host) - colon);
    // An empty port (as in "host:/", or "ftp:" read as a host) means the default port.
    if (!port.empty()) return TextToInt(port);
  }
  return ToLower(TextLeft(url, 5)) == "https" ? 443 : 80;
}

Text UrlPath(const Text& url) {
  const Text host = UrlHost(url);
  const int start = HostSearchStart(url);
  const int a = host.empty() ? -1 : FindText(url, host, start, true);
  const int b = FindText(url, "/", a == -1 ? start : a, true);
  if (b == -1) return "/";
  return TextRight(url, TextLength(url) - b + 1);
}

}  // namespace vorel
