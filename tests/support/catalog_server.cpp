#include "support/catalog_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

extern char** environ;

namespace vorel::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct SslCtxDeleter {
  void operator()(SSL_CTX* ctx) const { SSL_CTX_free(ctx); }
};
struct SslDeleter {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

class Socket {
 public:
  Socket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port of 127.0.0.1 that was free a moment ago (the kernel's pick for port 0).
int PickFreePort() {
  Socket socket;
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (socket.fd() < 0 || ::bind(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(socket.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

// True when 127.0.0.1:port accepts a connection and completes a TLS handshake whose
// certificate is valid for "localhost" under `caFile`.
bool AnswersTls(int port, const std::string& caFile) {
  Socket socket;
  if (socket.fd() < 0) return false;
  timeval timeout{2, 0};
  ::setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  const sockaddr_in address = Loopback(port);
  if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
  std::unique_ptr<SSL_CTX, SslCtxDeleter> ctx(SSL_CTX_new(TLS_client_method()));
  if (!ctx || SSL_CTX_load_verify_locations(ctx.get(), caFile.c_str(), nullptr) != 1) return false;
  SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_PEER, nullptr);
  std::unique_ptr<SSL, SslDeleter> ssl(SSL_new(ctx.get()));
  if (!ssl || SSL_set_fd(ssl.get(), socket.fd()) != 1) return false;
  SSL_set_tlsext_host_name(ssl.get(), "localhost");
  SSL_set1_host(ssl.get(), "localhost");
  const bool ok = SSL_connect(ssl.get()) == 1 && SSL_get_verify_result(ssl.get()) == X509_V_OK;
  if (ok) SSL_shutdown(ssl.get());
  return ok;
}

}  // namespace

std::string SampleMusicDir() { return std::string(VOREL_BINARY_DIR) + "/sample-music"; }

struct CatalogServer::Impl {
  std::string tlsDir;
  std::string caFile;
  std::optional<std::string> previousCertFile;  // SSL_CERT_FILE before this server
  int port = 0;
  pid_t pid = -1;
  int outputFd = -1;
  bool running = false;
  std::thread reader;
  mutable std::mutex mutex;
  std::vector<std::string> lines;

  // One start on a freshly picked port; false when the service exits or stays silent.
  bool StartOnce(const std::string& exe, const std::string& musicDir, int pageSize);
  void Stop();
  void ReadOutput(int fd);
};

void CatalogServer::Impl::ReadOutput(int fd) {
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::lock_guard lock(mutex);
      lines.push_back(pending.substr(0, end));
      pending.erase(0, end + 1);
    }
  }
  if (!pending.empty()) {
    std::lock_guard lock(mutex);
    lines.push_back(pending);
  }
}

bool CatalogServer::Impl::StartOnce(const std::string& exe, const std::string& musicDir, int pageSize) {
  port = PickFreePort();
  if (port == 0) return false;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;

  const std::string portText = std::to_string(port);
  std::vector<std::string> args = {exe, "--music", musicDir, "--port", portText, "--tls-dir", tlsDir};
  if (pageSize > 0) {
    args.push_back("--page-size");
    args.push_back(std::to_string(pageSize));
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t noSignals;
  sigemptyset(&noSignals);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &noSignals);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int spawned = posix_spawn(&pid, exe.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    pid = -1;
    ::close(pipeFds[0]);
    return false;
  }
  outputFd = pipeFds[0];
  reader = std::thread([this, fd = outputFd] { ReadOutput(fd); });

  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (Clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {  // it gave up, e.g. the port was taken meanwhile
      pid = -1;
      Stop();
      return false;
    }
    std::error_code ec;
    if (fs::exists(caFile, ec) && AnswersTls(port, caFile)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Stop();
  return false;
}

void CatalogServer::Impl::Stop() {
  if (pid > 0) {
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    int status = 0;
    bool reaped = false;
    while (!(reaped = ::waitpid(pid, &status, WNOHANG) == pid) && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!reaped) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
    }
    pid = -1;
  }
  if (reader.joinable()) reader.join();
  if (outputFd >= 0) ::close(outputFd);
  outputFd = -1;
}

CatalogServer::CatalogServer(const std::string& musicDir, int pageSize) : impl_(std::make_unique<Impl>()) {
#ifdef VOREL_CATALOG_EXE
  std::string tls = (fs::temp_directory_path() / "vorel-catalog-tls-XXXXXX").string();
  if (!::mkdtemp(tls.data())) return;
  impl_->tlsDir = tls;
  impl_->caFile = (fs::path(tls) / "ca.pem").string();
  const std::string music = musicDir.empty() ? SampleMusicDir() : musicDir;
  for (int attempt = 0; attempt < 5 && !impl_->running; ++attempt) {
    impl_->running = impl_->StartOnce(VOREL_CATALOG_EXE, music, pageSize);
  }
  if (impl_->running) {
    if (const char* previous = std::getenv("SSL_CERT_FILE")) impl_->previousCertFile = previous;
    ::setenv("SSL_CERT_FILE", impl_->caFile.c_str(), 1);
  }
#else
  (void)musicDir;
  (void)pageSize;
#endif
}

CatalogServer::~CatalogServer() {
  impl_->Stop();
  if (impl_->running) {
    if (impl_->previousCertFile) {
      ::setenv("SSL_CERT_FILE", impl_->previousCertFile->c_str(), 1);
    } else {
      ::unsetenv("SSL_CERT_FILE");
    }
  }
  if (!impl_->tlsDir.empty()) {
    std::error_code ignored;
    fs::remove_all(impl_->tlsDir, ignored);
  }
}

bool CatalogServer::running() const { return impl_->running; }

std::string CatalogServer::host() const { return "localhost:" + std::to_string(impl_->port); }

std::string CatalogServer::baseUrl() const { return "https://" + host(); }

std::string CatalogServer::caFile() const { return impl_->caFile; }

std::vector<std::string> CatalogServer::accessLog() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->lines;
}

}  // namespace vorel::test
