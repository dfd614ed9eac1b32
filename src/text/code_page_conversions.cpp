#include "text/code_page_conversions.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/codepage/code_page_936.h"
#include "text/text_primitives.h"

namespace vorel {
namespace {

// The text up to its first zero byte: what a zero-terminated string holds.
std::string_view UpToZero(const Text& text) {
  const std::string_view view(text);
  return view.substr(0, view.find('\0'));
}

// All length / 2 units of the buffer (an odd last byte is no unit).
std::u16string Units(const ByteBuffer& wide) {
  std::u16string units;
  units.reserve(wide.size() / 2);
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2)
    units.push_back(static_cast<char16_t>(wide[i] | (wide[i + 1] << 8)));
  return units;
}

ByteBuffer UnitsToBuffer(std::u16string_view units) {
  ByteBuffer buffer;
  buffer.reserve(units.size() * 2);
  for (char16_t u : units) {
    buffer.push_back(static_cast<std::uint8_t>(u & 0xFF));
    buffer.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return buffer;
}

// The units up to and including the first zero unit, or all of them when none is zero.
std::u16string_view UpToZeroUnit(std::u16string_view units) {
  const std::size_t zero = units.find(u'\0');
  return zero == std::u16string_view::npos ? units : units.substr(0, zero + 1);
}

bool IsUrlSafe(std::uint8_t b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

}  // namespace

ByteBuffer AnsiToWide(const Text& text) {
  std::u16string units = platform::Cp936ToUtf16(UpToZero(text));
  units.push_back(u'\0');
  return UnitsToBuffer(units);
}

ByteBuffer AnsiToWideArg(const Text& text) {
  if (text.empty()) return {};
  return AnsiToWide(text);
}

ByteBuffer WideToUtf8(const ByteBuffer& wide) {
  const std::u16string units = Units(wide);
  const std::size_t size = platform::Utf16ToUtf8(units).size();
  const std::string converted = platform::Utf16ToUtf8(UpToZeroUnit(units));
  ByteBuffer result(size, 0);
  std::copy_n(converted.begin(), std::min(size, converted.size()), result.begin());
  return result;
}

ByteBuffer AnsiToUtf8(const Text& text) { return WideToUtf8(AnsiToWide(text)); }

Text WideToAnsi(const ByteBuffer& wide) {
  const std::u16string units = Units(wide);
  const std::u16string_view text = std::u16string_view(units).substr(0, units.find(u'\0'));
  return platform::Utf16ToCp936(text);  // no unit before the first zero gives a zero byte
}

Text UrlEncodeUtf8(const Text& text) {
  const ByteBuffer utf8 = AnsiToUtf8(text);
  const ByteBuffer bytes = BytesLeft(utf8, BytesLength(utf8) - 1);
  static constexpr char kHex[] = "0123456789ABCDEF";
  Text result;
  result.reserve(bytes.size() * 3);
  for (std::uint8_t b : bytes) {
    if (IsUrlSafe(b)) {
      result.push_back(static_cast<char>(b));
    } else {
      result.push_back('%');
      result.push_back(kHex[b >> 4]);
      result.push_back(kHex[b & 0x0F]);
    }
  }
  return result;
}

}  // namespace vorel
