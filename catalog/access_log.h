// The access log: one line per request on standard output, "METHOD TARGET STATUS" with
// the target exactly as the client sent it (control bytes shown as %XX so that a line
// stays one line), flushed as it is written. Safe to use from the server's threads.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace catalog {

std::string AccessLogLine(std::string_view method, std::string_view target, int status);

class AccessLog {
 public:
  explicit AccessLog(std::FILE* out) : out_(out) {}
  void Write(std::string_view method, std::string_view target, int status);

 private:
  std::mutex mutex_;
  std::FILE* out_;
};

}  // namespace catalog
