#include "access_log.h"

namespace catalog {
namespace {

void AppendPrintable(std::string& line, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      line.push_back('%');
      line.push_back(kHex[byte >> 4]);
      line.push_back(kHex[byte & 0x0F]);
    } else {
      line.push_back(c);
    }
  }
}

}  // namespace

std::string AccessLogLine(std::string_view method, std::string_view target, int status) {
  std::string line;
  if (method.empty()) {
    line += "-";
  } else {
    AppendPrintable(line, method);
  }
  line += ' ';
  if (target.empty()) {
    line += "-";
  } else {
    AppendPrintable(line, target);
  }
  line += ' ';
  line += std::to_string(status);
  return line;
}

void AccessLog::Write(std::string_view method, std::string_view target, int status) {
  const std::string line = AccessLogLine(method, target, status) + "\n";
  std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

}  // namespace catalog
