#include "platform/charset/charset_decoder.h"

#include <cerrno>

#include "platform/codepage/code_page_936.h"
#include "platform/codepage/iconv_converter.h"

namespace vorel::platform {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

// iconv takes suffixes such as "//TRANSLIT" and lists with ","; a declared charset is a
// plain name.
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.size() > 64) return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                    c == '_' || c == '.' || c == ':';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> DecodeToCp936(std::string_view charset, std::string_view bytes) {
  if (!IsPlainName(charset)) return std::nullopt;
  const std::string from(charset);
  IconvConverter converter("UTF-16LE", from.c_str());
  if (!converter.valid()) return std::nullopt;

  std::u16string units;
  units.reserve(bytes.size() + 16);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buffer[16384];
  auto flush = [&units, &buffer](size_t produced) {
    for (size_t i = 0; i + 1 < produced; i += 2) {
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[i]) |
                                            (static_cast<unsigned char>(buffer[i + 1]) << 8)));
    }
  };
  while (inLeft > 0) {
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
    flush(sizeof buffer - outLeft);
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ: a byte that starts no character; EINVAL: a character cut off at the end.
    units.push_back(kReplacement);
    if (errno == EINVAL) break;
    ++in;
    --inLeft;
  }
  char* out = buffer;
  size_t outLeft = sizeof buffer;
  iconv(converter.get(), nullptr, nullptr, &out, &outLeft);  // close any shift state
  flush(sizeof buffer - outLeft);
  if (!units.empty() && units.front() == u'\uFEFF') units.erase(units.begin());
  return Utf16ToCp936(units);
}

}  // namespace vorel::platform
