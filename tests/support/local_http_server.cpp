#include "support/local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace vorel::test {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

struct SslCtxDeleter {
  void operator()(SSL_CTX* ctx) const { SSL_CTX_free(ctx); }
};
struct SslDeleter {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

// One accepted connection, plain or TLS.
class Connection {
 public:
  Connection(int fd, SSL_CTX* ctx) : fd_(fd) {
    if (ctx) {
      ssl_.reset(SSL_new(ctx));
      if (ssl_) SSL_set_fd(ssl_.get(), fd_);
    }
  }
  ~Connection() { ::close(fd_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Handshake() { return !ssl_ || SSL_accept(ssl_.get()) == 1; }
  // Bytes read, 0 at the end or on an error.
  std::size_t Read(char* buffer, std::size_t size) {
    if (ssl_) {
      const int n = SSL_read(ssl_.get(), buffer, static_cast<int>(size));
      return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    const ssize_t n = ::recv(fd_, buffer, size, 0);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  bool Write(std::string_view data) {
    while (!data.empty()) {
      const long n = ssl_ ? SSL_write(ssl_.get(), data.data(), static_cast<int>(data.size()))
                          : ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  void CloseNicely() {
    if (ssl_) SSL_shutdown(ssl_.get());
  }

 private:
  int fd_;
  std::unique_ptr<SSL, SslDeleter> ssl_;
};

}  // namespace

std::string ReceivedRequest::path() const { return target.substr(0, target.find('?')); }

std::optional<std::string> ReceivedRequest::header(std::string_view name) const {
  for (const auto& line : headerLines) {
    const auto colon = line.find(':');
    if (colon != std::string::npos && EqualsIgnoringCase(std::string_view(line).substr(0, colon), name)) {
      return Trim(std::string_view(line).substr(colon + 1));
    }
  }
  return std::nullopt;
}

std::vector<std::string> ReceivedRequest::headerNames() const {
  std::vector<std::string> names;
  for (const auto& line : headerLines) names.push_back(line.substr(0, line.find(':')));
  return names;
}

struct LocalHttpServer::Impl {
  int listenFd = -1;
  int port = 0;
  std::unique_ptr<SSL_CTX, SslCtxDeleter> ctx;
  std::atomic<bool> stopping{false};
  std::thread acceptor;

  mutable std::mutex mutex;
  std::condition_variable stopped;
  std::map<std::string, Handler> handlers;
  std::vector<ReceivedRequest> requests;
  std::set<int> openFds;
  std::vector<std::thread> workers;

  bool Start(const Tls* tls);
  void AcceptLoop();
  void Serve(int fd);
  bool ServeOne(Connection& connection, std::string& pending);
  // Waits for `time` or until the server stops; true when it stops.
  bool WaitOrStop(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex);
    return stopped.wait_for(lock, time, [this] { return stopping.load(); });
  }
};

bool LocalHttpServer::Impl::Start(const Tls* tls) {
  static std::once_flag ignorePipe;
  std::call_once(ignorePipe, [] { std::signal(SIGPIPE, SIG_IGN); });
  if (tls) {
    ctx.reset(SSL_CTX_new(TLS_server_method()));
    if (!ctx || SSL_CTX_use_certificate_chain_file(ctx.get(), tls->certFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(ctx.get(), tls->keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
      return false;
    }
  }
  listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd < 0) return false;
  const int yes = 1;
  setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listenFd, 64) != 0 ||
      ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listenFd);
    listenFd = -1;
    return false;
  }
  port = ntohs(address.sin_port);
  acceptor = std::thread([this] { AcceptLoop(); });
  return true;
}

void LocalHttpServer::Impl::AcceptLoop() {
  while (!stopping) {
    pollfd waiting{listenFd, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) continue;
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    std::lock_guard lock(mutex);
    if (stopping) {
      ::close(fd);
      break;
    }
    openFds.insert(fd);
    workers.emplace_back([this, fd] { Serve(fd); });
  }
}

void LocalHttpServer::Impl::Serve(int fd) {
  {
    Connection connection(fd, ctx.get());
    if (connection.Handshake()) {
      std::string pending;
      while (!stopping && ServeOne(connection, pending)) {
      }
    }
    std::lock_guard lock(mutex);
    openFds.erase(fd);
  }  // closes fd only after it left openFds, so Stop never shuts down a reused number
}

bool LocalHttpServer::Impl::ServeOne(Connection& connection, std::string& pending) {
  char buffer[16384];
  std::size_t headEnd;
  while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
    const std::size_t n = connection.Read(buffer, sizeof buffer);
    if (n == 0) return false;
    pending.append(buffer, n);
  }
  ReceivedRequest request;
  const std::string requestHead = pending.substr(0, headEnd);
  pending.erase(0, headEnd + 4);
  std::size_t lineStart = 0;
  bool first = true;
  while (lineStart <= requestHead.size()) {
    auto lineEnd = requestHead.find("\r\n", lineStart);
    if (lineEnd == std::string::npos) lineEnd = requestHead.size();
    const std::string line = requestHead.substr(lineStart, lineEnd - lineStart);
    if (first) {
      const auto a = line.find(' ');
      const auto b = line.rfind(' ');
      if (a == std::string::npos || b == a) return false;
      request.method = line.substr(0, a);
      request.target = line.substr(a + 1, b - a - 1);
      request.version = line.substr(b + 1);
      first = false;
    } else {
      request.headerLines.push_back(line);
    }
    lineStart = lineEnd + 2;
  }
  const auto expect = request.header("Expect");
  if (expect && EqualsIgnoringCase(*expect, "100-continue"))
    connection.Write("HTTP/1.1 100 Continue\r\n\r\n");
  const std::size_t bodyLength =
      std::strtoul(request.header("Content-Length").value_or("0").c_str(), nullptr, 10);
  while (pending.size() < bodyLength) {
    const std::size_t n = connection.Read(buffer, sizeof buffer);
    if (n == 0) return false;
    pending.append(buffer, n);
  }
  request.body = pending.substr(0, bodyLength);
  pending.erase(0, bodyLength);

  Handler handler;
  {
    std::lock_guard lock(mutex);
    requests.push_back(request);
    if (const auto found = handlers.find(request.path()); found != handlers.end()) handler = found->second;
  }
  Reply reply;
  if (handler) {
    reply = handler(request);
  } else {
    reply.status = 404;
    reply.reason = "Not Found";
    reply.body = "not found";
  }
  const auto silence = reply.hangUpAfter.value_or(std::chrono::hours(1));
  if (reply.neverAnswer) {
    WaitOrStop(silence);
    return false;
  }
  if (reply.delay.count() > 0 && WaitOrStop(reply.delay)) return false;
  if (reply.raw) {
    connection.Write(*reply.raw);
    return false;  // hang up without a TLS close notice
  }

  std::string out = request.version == "HTTP/1.0" ? "HTTP/1.0 " : "HTTP/1.1 ";
  out += std::to_string(reply.status) + " " + reply.reason + "\r\n";
  bool hasLength = false;
  for (const auto& line : reply.headerLines) {
    out += line + "\r\n";
    hasLength =
        hasLength || EqualsIgnoringCase(std::string_view(line).substr(0, line.find(':')), "Content-Length");
  }
  if (reply.addContentLength && !hasLength)
    out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
  out += "\r\n";
  const bool head = request.method == "HEAD";
  if (reply.closeAfter) {
    if (!head) out.append(reply.body, 0, std::min(*reply.closeAfter, reply.body.size()));
    connection.Write(out);
    return false;  // hang up without a TLS close notice
  }
  if (reply.stallAfter) {
    if (!head) out.append(reply.body, 0, std::min(*reply.stallAfter, reply.body.size()));
    if (connection.Write(out)) WaitOrStop(silence);
    return false;
  }
  if (!head) out += reply.body;
  if (!connection.Write(out)) return false;
  const auto connectionHeader = request.header("Connection");
  const bool close = request.version == "HTTP/1.0"
                         ? !(connectionHeader && EqualsIgnoringCase(*connectionHeader, "keep-alive"))
                         : (connectionHeader && EqualsIgnoringCase(*connectionHeader, "close"));
  if (close || !reply.addContentLength) {
    connection.CloseNicely();
    return false;
  }
  return true;
}

LocalHttpServer::LocalHttpServer() : impl_(std::make_unique<Impl>()) { impl_->Start(nullptr); }

LocalHttpServer::LocalHttpServer(Tls tls) : impl_(std::make_unique<Impl>()) { impl_->Start(&tls); }

LocalHttpServer::~LocalHttpServer() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
    for (const int fd : impl_->openFds) ::shutdown(fd, SHUT_RDWR);
  }
  impl_->stopped.notify_all();
  if (impl_->acceptor.joinable()) impl_->acceptor.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(impl_->mutex);
    workers.swap(impl_->workers);
  }
  for (auto& worker : workers) worker.join();
  if (impl_->listenFd >= 0) ::close(impl_->listenFd);
}

bool LocalHttpServer::running() const { return impl_->listenFd >= 0; }

int LocalHttpServer::port() const { return impl_->port; }

std::string LocalHttpServer::url(std::string_view target, std::string_view host) const {
  return std::string(impl_->ctx ? "https://" : "http://") + std::string(host) + ":" +
         std::to_string(impl_->port) + std::string(target);
}

void LocalHttpServer::Handle(const std::string& path, Handler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->handlers[path] = std::move(handler);
}

std::vector<ReceivedRequest> LocalHttpServer::requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

void LocalHttpServer::ClearRequests() {
  std::lock_guard lock(impl_->mutex);
  impl_->requests.clear();
}

int RefusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 1;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);  // bound but never listening: nothing accepts on it now
  return port;
}

}  // namespace vorel::test
