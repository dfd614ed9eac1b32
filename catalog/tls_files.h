// The service's own certificate authority and server certificate, kept in a folder:
// ca.pem (the authority's certificate, for clients to trust), ca-key.pem, server.pem
// (for localhost and 127.0.0.1, signed by the authority) and server-key.pem. Made on
// first use and reused afterwards; a server certificate that is unreadable, near its
// end, or not signed by the present authority is made anew.
#pragma once

#include <optional>
#include <string>

namespace catalog {

struct TlsFiles {
  std::string caFile;
  std::string certFile;
  std::string keyFile;
};

// Nothing (and `error` set) when the folder or the files cannot be made.
std::optional<TlsFiles> EnsureTlsFiles(const std::string& dir, std::string& error);

}  // namespace catalog
