// WinHttpFetch: one complete HTTP request, the body returned as code page 936 text.
//
// Every option is optional and knows whether it was passed: inputs are std::optional,
// outputs and in/out texts are pointers to the caller's variables (null: not passed).
// The header block gets the default request headers that are missing, normalised names,
// the keep-alive rule and the cookie line; the body goes out with whatever method. After
// the body is read, a charset that the page declares in its first 1024 bytes (other than
// "gbk" and "gb2312") re-decodes it into code page 936. Failures are the numbered texts
// in `message` ("701 解析URL地址失败!", "711 发送请求失败!", "712 服务器未响应!", ...) and an
// empty result. A body cut short is returned as far as it came, with "713 读取数据失败!".
// Certificates are verified (system store or SSL_CERT_FILE); an unverifiable one is a
// failed send. Pending window events run while the request waits on the network.
#pragma once

#include <optional>

#include "text/text_types.h"

namespace vorel {

struct WinHttpOptions {
  std::optional<int> method{};     // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT
  std::optional<Text> postText{};  // body when postBytes is empty
  Text* cookies = nullptr;         // in/out: sent; receives the merged cookies
  Text* newCookies = nullptr;      // out: the response's cookies are appended
  std::optional<Text> extraHeaders{};  // lines separated by CR LF
  Text* responseHeaders = nullptr;     // out: the raw response header block
  std::optional<bool> noRedirect{};    // default false
  std::optional<Text> user{};          // basic authentication with password
  std::optional<Text> password{};
  std::optional<Text> proxy{};  // host:port
  std::optional<Text> proxyUser{};
  std::optional<Text> proxyPassword{};
  std::optional<int> timeoutSeconds{};         // per phase; 0 or less: 30 seconds
  Text* location = nullptr;                    // out: the last "Location: " line's value
  Text* message = nullptr;                     // out: status text or failure message
  ByteBuffer* responseBytes = nullptr;         // out: the body as received
  std::optional<bool> mergeCookies{};          // default true
  std::optional<bool> addDefaultHeaders{};     // default true
  std::optional<ByteBuffer> postBytes{};       // body; wins over postText when not empty
  std::optional<bool> normalizeHeaderNames{};  // default true
};

Text WinHttpFetch(const Text& url, const WinHttpOptions& options = {});

}  // namespace vorel
