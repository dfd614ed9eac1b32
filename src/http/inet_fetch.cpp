#include "http/inet_fetch.h"

#include <algorithm>

#include "http/cookie_text.h"
#include "http/header_text.h"
#include "http/marker_text.h"
#include "http/response_headers.h"
#include "http/url_text.h"
#include "platform/http/curl_client.h"
#include "platform/http/url_escape.h"
#include "text/events.h"
#include "text/text_primitives.h"

namespace vorel {
namespace {

constexpr const char* kVerbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr const char* kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
// The request blocks the window, so it must not wait forever: the connection gets a
// minute, and so does the wait for each part of the response.
constexpr std::chrono::seconds kConnectTimeout(60);
constexpr std::chrono::seconds kResponseTimeout(60);

bool Contains(const Text& text, const Text& part) { return FindText(text, part, 1, true) > 0; }

Text AgentFrom(const Text& headers) {
  if (!Contains(headers, "User-Agent:")) return kDefaultAgent;
  const Text agent = TrimBoth(TextBetween(ConcatText(headers, "\r\n"), "User-Agent:", "\r\n"));
  return agent.empty() ? HeaderLineValue(headers) : agent;
}

void AddDefaultHeaders(Text& headers, const Text& url, int method) {
  if (headers.empty()) headers = "Accept: */*";
  if (!Contains(headers, "Accept:")) headers += "\r\nAccept: */*";
  if (!Contains(headers, "Referer:")) headers += ConcatText("\r\nReferer: ", url);
  if (!Contains(headers, "Accept-Language:")) headers += "\r\nAccept-Language: zh-cn";
  if (method == 1 && !Contains(headers, "Content-Type:")) {
    headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  }
}

}  // namespace

ByteBuffer InetFetch(const Text& url, const InetOptions& options) {
  Text headers = options.extraHeaders ? *options.extraHeaders : Text();
  auto writeHeadersBack = [&] {
    if (options.extraHeaders) *options.extraHeaders = headers;
  };
  if (options.normalizeHeaderNames.value_or(true)) {
    headers = NormalizeHeaders(headers);
    writeHeadersBack();
  }
  int method = options.method.value_or(0);
  if (method < 0 || method > 7) method = 0;
  const bool https = ToLower(TextLeft(url, 8)) == "https://";
  const Text agent = AgentFrom(headers);

  // Session, connection and request: a host and a port are needed to open them.
  const Text host = UrlHost(url);
  int port = UrlPort(url);
  if (port == 0) port = https ? 443 : 80;  // no usable number: the service's own port
  if (host.empty() || port < 0 || port > 65535) return {};
  platform::HttpRequest request;
  request.url = platform::EscapeUrlBytes(
      ConcatText(https ? "https://" : "http://", host, ":", NumberToText(port), UrlPath(url)));
  request.method = kVerbs[method];
  request.version = platform::HttpVersion::Http11;
  request.userAgent = agent;
  request.followRedirects = !options.noRedirect.value_or(false);
  request.proxy = options.proxy.value_or(Text());
  request.connectTimeout = kConnectTimeout;
  request.responseTimeout = kResponseTimeout;

  if (options.addDefaultHeaders.value_or(true)) {
    AddDefaultHeaders(headers, url, method);
    writeHeadersBack();
  }
  if (options.cookies && !options.cookies->empty()) {
    headers += Contains(*options.cookies, "Cookie:") ? ConcatText("\r\n", *options.cookies)
                                                     : ConcatText("\r\nCookie: ", *options.cookies);
    writeHeadersBack();
  }
  request.headerLines = HeaderLines(headers);
  if (method != 0) {
    ByteBuffer body = options.postBytes ? *options.postBytes : ByteBuffer();
    if (body.empty()) {
      const Text postText = options.postText.value_or(Text());
      body.assign(postText.begin(), postText.end());
      if (options.postBytes) *options.postBytes = body;
    }
    if (!body.empty()) request.body = std::string(body.begin(), body.end());
  }

  // The window keeps painting and its clock keeps ticking while the request waits, but no
  // click or key is handled: no other handler starts inside this one.
  request.waitHook = [] { ProcessNonInputEvents(); };
  platform::HttpResult result = platform::CurlClient().Perform(request);
  if (result.failure == platform::HttpFailure::BadUrl) return {};

  // Whatever came back, however the request ended: the whole header block, its cookies.
  Text responseHeaders = std::move(result.rawHeaders);
  responseHeaders.erase(std::remove(responseHeaders.begin(), responseHeaders.end(), '\0'),
                        responseHeaders.end());
  Text newCookies = AppendSetCookies(Text(), responseHeaders);
  if (options.mergeCookies.value_or(true) && options.cookies) {
    newCookies = MergeCookies(*options.cookies, newCookies);
  }
  if (options.responseHeaders) *options.responseHeaders = responseHeaders;
  if (options.newCookies) *options.newCookies = newCookies;
  return ByteBuffer(result.body.begin(), result.body.end());
}

}  // namespace vorel
