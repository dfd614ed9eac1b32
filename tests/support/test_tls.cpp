#include "support/test_tls.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorel::test {
namespace {

// Every key pair from one script, so that a test pays for one shell.
constexpr const char* kScript = R"(set -e
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out "$1.key"; }
key ca
openssl req -x509 -new -key ca.key -out ca.pem -days 30 -subj "/CN=Vorel Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' > local.ext
printf 'subjectAltName=DNS:other.invalid\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' > other.ext
signed() {  # name ext days
  key "$1"
  openssl req -new -key "$1.key" -out "$1.csr" -subj "/CN=$1"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$1.pem" -days "$3" -extfile "$2"
}
signed server local.ext 30
signed other other.ext 30
signed expired local.ext -1
key selfsigned
openssl req -x509 -new -key selfsigned.key -out selfsigned.pem -days 30 -subj "/CN=localhost" \
  -addext "subjectAltName=DNS:localhost,IP:127.0.0.1"
)";

}  // namespace

TestTls::TestTls() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vorel-tls-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return;
  dir_ = pattern;
  {
    std::ofstream script(dir_ + "/make.sh");
    script << kScript;
  }
  const std::string command = "cd '" + dir_ + "' && sh make.sh > make.log 2>&1";
  ok_ = std::system(command.c_str()) == 0 && std::filesystem::exists(caFile());
}

TestTls::~TestTls() {
  if (dir_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string TestTls::log() const {
  std::ifstream in(dir_ + "/make.log");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ScopedTrustFile::ScopedTrustFile(const std::string& bundle) {
  if (const char* old = std::getenv("SSL_CERT_FILE")) previous_ = old;
  setenv("SSL_CERT_FILE", bundle.c_str(), 1);
}

ScopedTrustFile::~ScopedTrustFile() {
  if (previous_) {
    setenv("SSL_CERT_FILE", previous_->c_str(), 1);
  } else {
    unsetenv("SSL_CERT_FILE");
  }
}

}  // namespace vorel::test
