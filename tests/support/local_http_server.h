// A real HTTP/1.1 server on 127.0.0.1 for tests: plain or TLS, on a free port.
//
// A test registers a handler per path (the target without its query); unregistered paths
// answer 404. Every request received is recorded with its header lines exactly as they
// came (order, spelling, blanks), so a test can check what a client sent. A reply is sent
// as written: the status line, the test's header lines in order, a Content-Length line
// unless switched off or given, the empty line and the body (none for HEAD). Fault modes
// per reply: answer only after a delay, never answer at all (the connection stays open
// until the server stops, or until `hangUpAfter`), hang up or go silent after part of the body,
// or send raw bytes of the test's own making (a broken head, say) and hang up. Connections are kept alive
// unless the client asks otherwise. Each connection is served on its own thread; the
// destructor closes every connection and joins. SIGPIPE is ignored in the test process.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorel::test {

struct ReceivedRequest {
  std::string method;
  std::string target;                    // as sent: "/path?query"
  std::string version;                   // "HTTP/1.1"
  std::vector<std::string> headerLines;  // in order, without CR LF
  std::string body;

  std::string path() const;  // the target without its query
  // The trimmed value of the first line with that name (any letter case); nullopt if none.
  std::optional<std::string> header(std::string_view name) const;
  std::vector<std::string> headerNames() const;  // in order, as spelled
};

struct Reply {
  int status = 200;
  std::string reason = "OK";
  std::vector<std::string> headerLines;  // "Name: value", sent in order as given
  std::string body;
  bool addContentLength = true;  // unless headerLines already has one
  // Fault modes.
  std::chrono::milliseconds delay{0};     // wait before answering
  bool neverAnswer = false;               // keep the connection open, say nothing
  std::optional<std::size_t> closeAfter;  // send the head and this many body bytes, then hang up
  std::optional<std::size_t> stallAfter;  // send the head and this many body bytes, then go silent
  // With neverAnswer or stallAfter: hang up after this much silence (none: when the server stops).
  std::optional<std::chrono::milliseconds> hangUpAfter;
  // Sent as the whole answer instead of status line, headers and body; then the server hangs up.
  std::optional<std::string> raw;
};

using Handler = std::function<Reply(const ReceivedRequest&)>;

class LocalHttpServer {
 public:
  struct Tls {
    std::string certFile;
    std::string keyFile;
  };

  LocalHttpServer();                  // plain HTTP
  explicit LocalHttpServer(Tls tls);  // HTTPS with that certificate
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  bool running() const;
  int port() const;
  // "http://127.0.0.1:PORT/target" (https:// for a TLS server); `host` replaces 127.0.0.1.
  std::string url(std::string_view target = "/", std::string_view host = "127.0.0.1") const;

  void Handle(const std::string& path, Handler handler);  // a later handler for a path wins
  std::vector<ReceivedRequest> requests() const;
  void ClearRequests();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A port of 127.0.0.1 on which nothing listens, so a connection is refused.
int RefusedPort();

}  // namespace vorel::test
