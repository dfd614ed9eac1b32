#include "platform/http/http_read_file.h"

#include "platform/http/curl_client.h"

namespace vorel::platform {

ReadFileResult HttpReadFile(const std::string& url, const std::function<bool(std::string_view)>& sink,
                            const std::function<void()>& waitHook) {
  ReadFileResult result;
  if (url.empty()) {
    result.error = "no URL";
    return result;
  }
  // One client for every download of the process, like one root session handle.
  static CurlClient client;

  HttpRequest request;
  request.url = url.substr(0, url.find('#'));
  request.userAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
  request.headerLines = {"Accept: */*", "Pragma: no-cache"};
  request.version = HttpVersion::Http10;
  request.followRedirects = true;
  request.waitHook = waitHook;
  request.bodySink = sink;
  const HttpResult answer = client.Perform(request);
  result.statusCode = answer.statusCode;
  result.bytes = answer.bodyBytes;
  if (answer.failure != HttpFailure::None) {
    result.error = answer.error.empty() ? HttpFailureName(answer.failure) : answer.error;
  } else if (answer.statusCode < 200 || answer.statusCode > 299) {
    result.error = "status " + std::to_string(answer.statusCode);
  } else if (answer.contentLength && *answer.contentLength != answer.bodyBytes) {
    result.error = "body shorter than its Content-Length";
  } else {
    result.complete = true;
  }
  return result;
}

}  // namespace vorel::platform
