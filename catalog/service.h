// The service's requests, registered on a cpp-httplib server:
//   GET /?kw=&p=&lx=          the result page of a search (see result_page.h)
//   GET /song/ID/QUALITY      302 to the media address of one song file
//   GET /media/PATH           the file, with Content-Length, its audio type and ranges
// Malformed queries and page numbers answer 400, unknown paths, songs and files 404,
// each with a short text body; every request is written to the access log.
#pragma once

#include <httplib.h>

#include <cstddef>

#include "access_log.h"
#include "library.h"

namespace catalog {

struct ServiceSettings {
  std::size_t pageSize = 10;
  int port = 0;  // the port actually listened on, for requests without a usable Host
};

// `library` and `log` must outlive the server.
void InstallRoutes(httplib::Server& server, const Library& library, const ServiceSettings& settings,
                   AccessLog& log);

}  // namespace catalog
