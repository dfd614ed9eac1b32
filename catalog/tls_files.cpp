#include "tls_files.h"

#include <fcntl.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>

namespace catalog {
namespace fs = std::filesystem;

namespace {

struct Deleter {
  void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
  void operator()(X509* p) const { X509_free(p); }
  void operator()(X509_EXTENSION* p) const { X509_EXTENSION_free(p); }
  void operator()(BIGNUM* p) const { BN_free(p); }
  void operator()(FILE* p) const { std::fclose(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter>;
using CertPtr = std::unique_ptr<X509, Deleter>;
using ExtPtr = std::unique_ptr<X509_EXTENSION, Deleter>;
using BnPtr = std::unique_ptr<BIGNUM, Deleter>;
using FilePtr = std::unique_ptr<FILE, Deleter>;

constexpr long kDay = 24L * 60 * 60;
constexpr long kCaLifetime = 3650 * kDay;
constexpr long kServerLifetime = 825 * kDay;

KeyPtr NewKey() { return KeyPtr(EVP_EC_gen("P-256")); }

KeyPtr ReadKey(const fs::path& file) {
  FilePtr in(std::fopen(file.c_str(), "rb"));
  if (!in) return nullptr;
  return KeyPtr(PEM_read_PrivateKey(in.get(), nullptr, nullptr, nullptr));
}

CertPtr ReadCert(const fs::path& file) {
  FilePtr in(std::fopen(file.c_str(), "rb"));
  if (!in) return nullptr;
  return CertPtr(PEM_read_X509(in.get(), nullptr, nullptr, nullptr));
}

// Writes through a temporary file and a rename, so a reader never sees half a file.
template <typename WriteFn>
bool WriteAtomically(const fs::path& file, mode_t mode, WriteFn write) {
  const fs::path temporary = file.string() + ".tmp";
  {
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return false;
    FilePtr out(::fdopen(fd, "wb"));
    if (!out) {
      ::close(fd);
      return false;
    }
    if (!write(out.get()) || std::fflush(out.get()) != 0) return false;
  }
  std::error_code ec;
  fs::rename(temporary, file, ec);
  return !ec;
}

bool AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  ExtPtr extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value));
  return extension && X509_add_ext(cert, extension.get(), -1) == 1;
}

bool SetRandomSerial(X509* cert) {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return false;
  bytes[0] &= 0x7F;  // positive
  BnPtr number(BN_bin2bn(bytes, sizeof bytes, nullptr));
  return number && BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(cert)) != nullptr;
}

// A certificate for `key` named `commonName`, valid from now for `lifetime` seconds,
// signed by `issuerKey` (self-signed when `issuer` is null).
CertPtr NewCert(EVP_PKEY* key, const char* commonName, long lifetime, X509* issuer, EVP_PKEY* issuerKey) {
  CertPtr cert(X509_new());
  if (!cert || X509_set_version(cert.get(), 2) != 1 || !SetRandomSerial(cert.get())) return nullptr;
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -kDay);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), lifetime);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("vorel-catalog"),
                             -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1,
                             -1, 0);
  X509* signer = issuer ? issuer : cert.get();
  X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
  bool ok = AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
  ok = ok && AddExtension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
  if (!issuer) {
    ok = ok && AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
    ok = ok && AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    ok = ok && AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
    ok = ok && AddExtension(cert.get(), signer, NID_key_usage, "critical,digitalSignature,keyEncipherment");
    ok = ok && AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
    ok = ok && AddExtension(cert.get(), signer, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
  }
  if (!ok || X509_sign(cert.get(), issuerKey, EVP_sha256()) == 0) return nullptr;
  return cert;
}

bool WriteKey(const fs::path& file, EVP_PKEY* key) {
  return WriteAtomically(file, 0600, [key](FILE* out) {
    return PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  });
}

bool WriteCert(const fs::path& file, X509* cert) {
  return WriteAtomically(file, 0644, [cert](FILE* out) { return PEM_write_X509(out, cert) == 1; });
}

// True when `cert` belongs to `key` and stays valid for at least another day.
bool Usable(X509* cert, EVP_PKEY* key) {
  if (!cert || !key || X509_check_private_key(cert, key) != 1) return false;
  time_t tomorrow = time(nullptr) + kDay;
  return X509_cmp_time(X509_get0_notAfter(cert), &tomorrow) > 0 &&
         X509_cmp_current_time(X509_get0_notBefore(cert)) < 0;
}

}  // namespace

std::optional<TlsFiles> EnsureTlsFiles(const std::string& dir, std::string& error) {
  std::error_code ec;
  const bool existed = fs::exists(dir, ec);
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir, ec)) {
    error = "cannot make the TLS folder " + dir;
    return std::nullopt;
  }
  if (!existed) ::chmod(dir.c_str(), 0700);  // a folder that was there keeps its rights
  const fs::path folder = fs::absolute(dir, ec);
  TlsFiles files{(folder / "ca.pem").string(), (folder / "server.pem").string(),
                 (folder / "server-key.pem").string()};
  const fs::path caKeyFile = folder / "ca-key.pem";

  KeyPtr caKey = ReadKey(caKeyFile);
  CertPtr caCert = ReadCert(files.caFile);
  bool newAuthority = false;
  if (!Usable(caCert.get(), caKey.get())) {
    caKey = NewKey();
    caCert = caKey ? NewCert(caKey.get(), "vorel-catalog local authority", kCaLifetime, nullptr, caKey.get())
                   : nullptr;
    if (!caCert || !WriteKey(caKeyFile, caKey.get()) || !WriteCert(files.caFile, caCert.get())) {
      error = "cannot make the certificate authority in " + folder.string();
      return std::nullopt;
    }
    newAuthority = true;
  }

  KeyPtr serverKey = ReadKey(files.keyFile);
  CertPtr serverCert = ReadCert(files.certFile);
  const bool reusable = !newAuthority && Usable(serverCert.get(), serverKey.get()) &&
                        X509_verify(serverCert.get(), caKey.get()) == 1;
  if (!reusable) {
    serverKey = NewKey();
    serverCert = serverKey ? NewCert(serverKey.get(), "localhost", kServerLifetime, caCert.get(), caKey.get())
                           : nullptr;
    if (!serverCert || !WriteKey(files.keyFile, serverKey.get()) ||
        !WriteCert(files.certFile, serverCert.get())) {
      error = "cannot make the server certificate in " + folder.string();
      return std::nullopt;
    }
  }
  return files;
}

}  // namespace catalog
