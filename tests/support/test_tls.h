// Throw-away TLS material for tests, made with the openssl command-line tool.
//
// TestTls creates a fresh temporary folder holding a test certificate authority and four
// server key pairs: one for localhost and 127.0.0.1 signed by the authority, one for
// another name only, one that expired yesterday, and one self-signed (unknown issuer).
// The folder is removed with the object. ScopedTrustFile points SSL_CERT_FILE of this
// process at a bundle (the clients of the program trust what it names) and restores the
// previous value when it goes out of scope.
#pragma once

#include <optional>
#include <string>

namespace vorel::test {

struct CertificatePair {
  std::string certFile;
  std::string keyFile;
};

class TestTls {
 public:
  TestTls();
  ~TestTls();
  TestTls(const TestTls&) = delete;
  TestTls& operator=(const TestTls&) = delete;

  bool ok() const { return ok_; }  // false when openssl failed; see log()
  std::string log() const;         // what the openssl commands printed
  const std::string& dir() const { return dir_; }
  std::string caFile() const { return dir_ + "/ca.pem"; }
  CertificatePair server() const { return Pair("server"); }          // localhost, 127.0.0.1
  CertificatePair otherName() const { return Pair("other"); }        // other.invalid only
  CertificatePair expired() const { return Pair("expired"); }        // localhost, 127.0.0.1
  CertificatePair selfSigned() const { return Pair("selfsigned"); }  // localhost, 127.0.0.1

 private:
  CertificatePair Pair(const std::string& name) const {
    return {dir_ + "/" + name + ".pem", dir_ + "/" + name + ".key"};
  }
  std::string dir_;
  bool ok_ = false;
};

class ScopedTrustFile {
 public:
  explicit ScopedTrustFile(const std::string& bundle);
  ~ScopedTrustFile();
  ScopedTrustFile(const ScopedTrustFile&) = delete;
  ScopedTrustFile& operator=(const ScopedTrustFile&) = delete;

 private:
  std::optional<std::string> previous_;
};

}  // namespace vorel::test
