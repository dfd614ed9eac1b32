// CurlClient: one HTTP(S) request at a time over a libcurl easy handle.
//
// The request is driven through curl's multi interface with a short poll, so a caller's
// wait hook runs while the client waits on the network. Header lines go out exactly as
// given (curl's own Accept, Content-Type and Expect lines are left out unless the caller
// names them). Certificates and host names are always verified, against the system trust
// store or, when the environment variable SSL_CERT_FILE names a file, against that file.
// Failures come back as the phase in which they happened; nothing throws.
// A client keeps its connection cache between requests; one client serves one thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorel::platform {

enum class HttpVersion { Http10, Http11 };

struct HttpRequest {
  std::string url;  // http:// or https:// only
  std::string method = "GET";
  // Sent with whatever method when it has a value (an empty value sends Content-Length: 0).
  std::optional<std::string> body;
  // "Name: value" lines without CR LF, sent in this order exactly as given.
  std::vector<std::string> headerLines;
  std::string userAgent;  // empty: no User-Agent unless a header line gives one
  bool followRedirects = true;
  HttpVersion version = HttpVersion::Http11;
  // Name resolution, connection and TLS handshake together.
  std::chrono::milliseconds connectTimeout{30000};
  // From the request being sent to the end of the response's header block, and then
  // between two pieces of the body.
  std::chrono::milliseconds responseTimeout{30000};
  std::string proxy;                     // "host:port"; empty: direct (proxy environment variables ignored)
  std::string proxyUser, proxyPassword;  // used when both are non-empty
  std::string user, password;            // basic authentication when both are non-empty
  // Called about every 15 ms while the client waits.
  std::function<void()> waitHook;
  // When set, receives the final response's body piece by piece instead of memory;
  // returning false aborts the transfer.
  std::function<bool(std::string_view piece)> bodySink;
};

enum class HttpFailure {
  None,
  BadUrl,      // nothing parsed: not an http(s) URL
  NotSent,     // unresolvable, refused, TLS failure, connect time-out
  NoResponse,  // no complete response header block in time, or the server hung up first
  BodyBroken,  // the body stopped short (closed early, stalled, corrupt)
  Aborted,     // the body sink refused a piece
};

struct HttpResult {
  HttpFailure failure = HttpFailure::None;
  std::string error;  // curl's description of a failure
  int statusCode = 0;
  std::optional<std::uint64_t> contentLength;
  // The final response's header block: status line, header lines, each ending in CR LF,
  // then the empty line.
  std::string rawHeaders;
  std::string body;             // empty when a body sink was given
  std::uint64_t bodyBytes = 0;  // body bytes received (and handed to the sink)
};

const char* HttpFailureName(HttpFailure failure);

class CurlClient {
 public:
  CurlClient();
  ~CurlClient();
  CurlClient(const CurlClient&) = delete;
  CurlClient& operator=(const CurlClient&) = delete;
  CurlClient(CurlClient&&) noexcept;
  CurlClient& operator=(CurlClient&&) noexcept;

  HttpResult Perform(const HttpRequest& request);

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace vorel::platform
