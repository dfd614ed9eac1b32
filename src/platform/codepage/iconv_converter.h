// A small owner of one iconv conversion descriptor.
#pragma once

#include <iconv.h>

#include <string_view>

namespace vorel::platform {

class IconvConverter {
 public:
  IconvConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvConverter() {
    if (valid()) iconv_close(cd_);
  }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }
  // Returns the descriptor to its initial shift state.
  void reset() const {
    if (valid()) iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  }

 private:
  iconv_t cd_;
};

}  // namespace vorel::platform
