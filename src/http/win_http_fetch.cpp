#include "http/win_http_fetch.h"

#include <algorithm>
#include <array>

#include "http/cookie_text.h"
#include "http/header_text.h"
#include "http/response_headers.h"
#include "platform/charset/charset_decoder.h"
#include "platform/codepage/code_page_936.h"
#include "platform/http/curl_client.h"
#include "platform/http/url_escape.h"
#include "text/events.h"
#include "text/regexp_object.h"
#include "text/text_primitives.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

constexpr std::array<const char*, 8> kVerbs = {"GET",     "POST",   "HEAD",  "PUT",
                                               "OPTIONS", "DELETE", "TRACE", "CONNECT"};

struct DefaultHeader {
  const char* line;
  const char* presentWhen;
  bool onlyForPost;
};

constexpr DefaultHeader kDefaultHeaders[] = {
    {"User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n",
     "User-Agent: ", false},
    {"Accept: text/html, application/xhtml+xml, */*\r\n", "Accept: ", false},
    {"Accept-Encoding: gbk, GB2312\r\n", "Accept-Encoding: ", false},
    {"Accept-Language: zh-cn\r\n", "Accept-Language: ", false},
    {"Content-Type: application/x-www-form-urlencoded\r\n", "Content-Type:", true},
    {"Cache-Control: no-cache\r\n", "Cache-Control: ", false},
};

// Checks that succeeded before a failure; each lets pending events run once at the exit.
constexpr int kChecksBeforeCrack = 1;  // the platform check
constexpr int kChecksBeforeSend = 7;   // platform, URL, session, time-outs, connection, request, headers
constexpr int kChecksBeforeReceive = 8;
constexpr int kChecksOfACompleteRequest = 9;

bool Contains(const Text& text, const Text& part, bool ignoreCase) {
  return FindText(text, part, 1, ignoreCase) > 0;
}

Text BuildHeaderBlock(const Text& extraHeaders, int method, const Text& cookies, bool addDefaultHeaders,
                      bool normalizeHeaderNames) {
  Text block = extraHeaders.empty() ? Text() : ConcatText(extraHeaders, "\r\n");
  if (addDefaultHeaders) {
    for (const auto& header : kDefaultHeaders) {
      if (header.onlyForPost && method != 1) continue;
      if (!Contains(block, header.presentWhen, true)) block += header.line;
    }
  }
  if (normalizeHeaderNames) block = NormalizeHeaders(block);
  if (Contains(block, "Connection", false) && HeaderValue(block, "Connection") == "keep-alive") {
    block = ReplaceText(block, "Connection: keep-alive\r\n", "", true);
  }
  if (!Contains(block, "Cookie:", true) && !cookies.empty()) {
    block += Contains(cookies, "Cookie:", true) ? ConcatText("\r\n", cookies, "\r\n")
                                                : ConcatText("\r\nCookie: ", cookies, "\r\n");
  }
  return block;
}

Text WithoutZeroBytes(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

Text UpToFirstZeroByte(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// Step 20: the response's cookies appended to newCookies, the last Location line; pending
// events run once for every line read.
Text ReadResponseHeaderLines(const Text& headers, const Text& newCookies, Text* location) {
  const Text cookies = AppendSetCookies(newCookies, headers);
  if (location) {
    if (std::optional<Text> last = LastLocation(headers)) *location = std::move(*last);
  }
  for (int i = 0; i < ResponseHeaderLineCount(headers); ++i) ProcessEvents();
  return cookies;
}

// Step 25: a charset declared near the top of the page re-decodes the body.
void DecodeDeclaredCharset(RegExpObject& regExp, const std::string& body, Text& text) {
  const bool executed = regExp.CreateAndExecute("<meta.+?charset=[^\\w]?([-\\w]+)", TextLeft(text, 1024));
  if (!executed) return;
  const Text charset = regExp.SubMatchText(1, 1);
  if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
    if (auto decoded = platform::DecodeToCp936(charset, body)) text = UpToFirstZeroByte(*decoded);
  }
  ProcessEvents();
}

}  // namespace

Text WinHttpFetch(const Text& url, const WinHttpOptions& options) {
  RegExpObject regExp;
  Text text;
  int checksPassed = kChecksBeforeCrack;
  auto setMessage = [&options](const Text& message) {
    if (options.message) *options.message = message;
  };

  const int method = options.method.value_or(0);
  const Text verb = method >= 0 && method < static_cast<int>(kVerbs.size()) ? kVerbs[method] : "GET";
  const int timeoutSeconds = options.timeoutSeconds.value_or(0);
  const std::chrono::milliseconds t(timeoutSeconds > 0 ? static_cast<long long>(timeoutSeconds) * 1000
                                                       : 30000);
  Text cookies = options.cookies ? *options.cookies : Text();

  platform::HttpRequest request;
  // The URL goes out as WinHTTP sends it: UTF-8, with unsafe bytes escaped.
  request.url = platform::EscapeUrlBytes(platform::Cp936ToUtf8(url));
  request.method = verb;
  request.version = platform::HttpVersion::Http11;
  request.connectTimeout = t;
  request.responseTimeout = t;
  request.followRedirects = !options.noRedirect.value_or(false);
  // A proxy serves this URL's scheme: the proxy itself for https, "http=" + proxy otherwise.
  request.proxy = options.proxy.value_or(Text());
  if (!request.proxy.empty()) {
    request.proxyUser = options.proxyUser.value_or(Text());
    request.proxyPassword = options.proxyPassword.value_or(Text());
  }
  request.user = options.user.value_or(Text());
  request.password = options.password.value_or(Text());
  request.headerLines = HeaderLines(BuildHeaderBlock(options.extraHeaders.value_or(Text()), method, cookies,
                                                     options.addDefaultHeaders.value_or(true),
                                                     options.normalizeHeaderNames.value_or(true)));
  const ByteBuffer* postBytes =
      options.postBytes && !options.postBytes->empty() ? &*options.postBytes : nullptr;
  if (postBytes) {
    request.body = std::string(postBytes->begin(), postBytes->end());
  } else if (options.postText && !options.postText->empty()) {
    request.body = *options.postText;
  }
  request.waitHook = [] { ProcessEvents(); };

  const platform::HttpResult result = platform::CurlClient().Perform(request);
  switch (result.failure) {
    case platform::HttpFailure::BadUrl:
      setMessage(FromUtf8("701 解析URL地址失败!"));
      break;
    case platform::HttpFailure::NotSent:
      checksPassed = kChecksBeforeSend;
      setMessage(FromUtf8("711 发送请求失败!"));
      break;
    case platform::HttpFailure::NoResponse:
    case platform::HttpFailure::Aborted:
      checksPassed = kChecksBeforeReceive;
      setMessage(FromUtf8("712 服务器未响应!"));
      break;
    case platform::HttpFailure::BodyBroken:
      setMessage(FromUtf8("713 读取数据失败!"));
      [[fallthrough]];
    case platform::HttpFailure::None: {
      checksPassed = kChecksOfACompleteRequest;
      const Text headers = WithoutZeroBytes(result.rawHeaders);
      if (options.responseHeaders) *options.responseHeaders = headers;
      // A body cut short keeps its "713" message: the status text would pass it off as whole.
      if (result.failure == platform::HttpFailure::None) setMessage(ResponseStatusText(headers));
      Text newCookies = ReadResponseHeaderLines(headers, options.newCookies ? *options.newCookies : Text(),
                                                options.location);
      if (options.mergeCookies.value_or(true) && !cookies.empty()) {
        newCookies = MergeCookies(cookies, newCookies);
        if (options.cookies) *options.cookies = cookies;
      }
      if (options.newCookies) *options.newCookies = newCookies;
      if (options.responseBytes) options.responseBytes->assign(result.body.begin(), result.body.end());
      text = UpToFirstZeroByte(result.body);
      DecodeDeclaredCharset(regExp, result.body, text);
      break;
    }
  }
  for (int i = 0; i < checksPassed; ++i) ProcessEvents();
  return text;
}

}  // namespace vorel
