// HttpReadFile: one GET of a URL whose body goes, piece by piece, to a sink.
//
// The request: agent "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)", the header
// "Accept: */*", HTTP/1.0, no cached copy ("Pragma: no-cache"), redirects followed, the
// URL cut at its first "#"; certificates verified as CurlClient does. Only http and
// https URLs are fetched. All downloads of the process share one client, so they share
// its connection cache.
// The answer counts as complete only when the server answered 2xx and the whole body
// arrived (as many bytes as its Content-Length says, when it says).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vorel::platform {

struct ReadFileResult {
  bool complete = false;  // 2xx and the whole body handed to the sink
  int statusCode = 0;
  std::uint64_t bytes = 0;  // body bytes handed to the sink
  std::string error;        // why it is not complete
};

// `sink` gets the body (returning false stops the download); `waitHook` runs about every
// 15 ms while the request waits on the network.
ReadFileResult HttpReadFile(const std::string& url, const std::function<bool(std::string_view)>& sink,
                            const std::function<void()>& waitHook = {});

}  // namespace vorel::platform
