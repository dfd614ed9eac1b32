// vorel-catalog: a local music search service for Vorel. Reads the music folder, makes
// or reuses its TLS certificates, then serves HTTPS on 127.0.0.1 until SIGINT or SIGTERM.
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <cstdio>
#include <iostream>
#include <thread>

#include "access_log.h"
#include "library.h"
#include "options.h"
#include "service.h"
#include "tls_files.h"

int main(int argc, char** argv) {
  std::string error;
  const auto options = catalog::ParseOptions(argc, argv, error);
  if (!options) {
    std::cerr << "vorel-catalog: " << error << "\nTry vorel-catalog --help\n";
    return 2;
  }
  if (options->help) {
    std::cout << catalog::HelpText();
    return 0;
  }
  const auto library = catalog::Library::Scan(options->musicDir, error);
  if (!library) {
    std::cerr << "vorel-catalog: " << error << "\n";
    return 1;
  }
  const auto tls = catalog::EnsureTlsFiles(options->tlsDir, error);
  if (!tls) {
    std::cerr << "vorel-catalog: " << error << "\n";
    return 1;
  }

  // The server's threads inherit this mask, so SIGINT and SIGTERM reach only sigwait below;
  // a client that hangs up must not end the service through SIGPIPE.
  ::signal(SIGPIPE, SIG_IGN);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  httplib::SSLServer server(tls->certFile.c_str(), tls->keyFile.c_str());
  if (!server.is_valid()) {
    std::cerr << "vorel-catalog: cannot load the server certificate " << tls->certFile << "\n";
    return 1;
  }
  // Address reuse for quick restarts, but not cpp-httplib's default port sharing: a second
  // service on the same port must fail to start rather than split the requests.
  server.set_socket_options([](int socket) {
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    // Small answers (TLS tickets, pages) go out at once instead of waiting for the
    // client's delayed acknowledgement; accepted connections inherit it.
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  });
  catalog::ServiceSettings settings;
  settings.pageSize = options->pageSize;
  if (options->port == 0) {
    settings.port = server.bind_to_any_port("127.0.0.1");
  } else if (server.bind_to_port("127.0.0.1", options->port)) {
    settings.port = options->port;
  }
  if (settings.port <= 0) {
    std::cerr << "vorel-catalog: cannot listen on 127.0.0.1:" << options->port << "\n";
    return 1;
  }
  catalog::AccessLog log(stdout);
  catalog::InstallRoutes(server, *library, settings, log);

  std::cerr << "vorel-catalog: CA certificate: " << tls->caFile << "\n"
            << "vorel-catalog: " << library->songCount() << " songs from " << library->root()
            << "\nvorel-catalog: listening on https://localhost:" << settings.port << "/" << std::endl;

  std::thread stopper([&server, &stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  });
  const bool listened = server.listen_after_bind();
  pthread_kill(stopper.native_handle(), SIGTERM);  // wakes the waiting thread if no signal came
  stopper.join();
  return listened ? 0 : 1;
}
