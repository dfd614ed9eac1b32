// Starts the local search service (vorel-catalog) for a test and stops it afterwards.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vorel::test {

// The sample library that the build generates for the service.
std::string SampleMusicDir();

class CatalogServer {
 public:
  // Starts vorel-catalog on a free port of 127.0.0.1 with `musicDir` (empty: the sample
  // library) and a fresh TLS folder, waits until it answers, and points SSL_CERT_FILE
  // of this process at its CA so that the program's clients trust it. A `pageSize` above 0
  // sets the songs per result page (--page-size); 0 keeps the service's default.
  explicit CatalogServer(const std::string& musicDir = "", int pageSize = 0);
  ~CatalogServer();
  CatalogServer(const CatalogServer&) = delete;
  CatalogServer& operator=(const CatalogServer&) = delete;

  bool running() const;
  std::string host() const;                    // "localhost:PORT"
  std::string baseUrl() const;                 // "https://localhost:PORT"
  std::string caFile() const;                  // the service's CA certificate
  std::vector<std::string> accessLog() const;  // access-log lines written so far

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vorel::test
