// InetFetch: one blocking HTTP request, the body returned as received.
//
// Options know whether they were passed: inputs are std::optional, in/out and out texts
// are pointers to the caller's variables (null: not passed). The header block is built
// from `extraHeaders` (normalised and written back), the default lines that are missing
// and the cookie line, and sent exactly as built; its User-Agent line, if any, is also
// the agent, else "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)". The whole raw
// response header block comes back in `responseHeaders`, its Set-Cookie values in
// `newCookies` (merged into `cookies` when that was passed). Certificates are verified;
// a request that cannot be opened or sent gives an empty body. No window events run.
#pragma once

#include <optional>

#include "text/text_types.h"

namespace vorel {

struct InetOptions {
  std::optional<int> method{};                 // 0 GET, 1 POST, ... 7 CONNECT; others: GET
  std::optional<Text> postText{};              // body when postBytes is empty
  Text* cookies = nullptr;                     // in/out; passing it (even empty) switches merging on
  Text* newCookies = nullptr;                  // out: the response's cookies
  Text* extraHeaders = nullptr;                // in/out: receives the header block that was sent
  Text* responseHeaders = nullptr;             // out: the raw response header block
  std::optional<bool> noRedirect{};            // default false
  ByteBuffer* postBytes = nullptr;             // in/out: body; filled from postText when empty
  std::optional<Text> proxy{};                 // host:port
  std::optional<bool> mergeCookies{};          // default true
  std::optional<bool> addDefaultHeaders{};     // default true
  std::optional<bool> normalizeHeaderNames{};  // default true
};

ByteBuffer InetFetch(const Text& url, const InetOptions& options = {});

}  // namespace vorel
