// Fuzzes the code page 936 conversions: WideToAnsi, AnsiToWide, AnsiToWideArg,
// UrlEncodeUtf8 (checked by decoding it back to AnsiToUtf8's bytes), the platform
// UTF-16 round trip, and re-decoding a page from a charset named by the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz_support.h"
#include "platform/charset/charset_decoder.h"
#include "platform/codepage/code_page_936.h"
#include "text/code_page_conversions.h"

namespace {

using vorel::ByteBuffer;
using vorel::Text;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower-case hex digits are not allowed either
}

bool IsUnreserved(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void CheckUrlEncode(const Text& text) {
  const Text encoded = vorel::UrlEncodeUtf8(text);
  ByteBuffer decoded;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    if (c != '%') {
      FUZZ_CHECK(IsUnreserved(c));
      decoded.push_back(static_cast<std::uint8_t>(c));
      continue;
    }
    FUZZ_CHECK(i + 2 < encoded.size());
    const int high = HexValue(encoded[i + 1]);
    const int low = HexValue(encoded[i + 2]);
    FUZZ_CHECK(high >= 0 && low >= 0);
    const auto byte = static_cast<std::uint8_t>(high * 16 + low);
    FUZZ_CHECK(!IsUnreserved(static_cast<char>(byte)));  // a safe byte is never escaped
    decoded.push_back(byte);
    i += 2;
  }
  ByteBuffer utf8 = vorel::AnsiToUtf8(text);
  FUZZ_CHECK(!utf8.empty() && utf8.back() == 0);
  utf8.pop_back();
  FUZZ_CHECK(decoded == utf8);
}

void CheckWide(const Text& text) {
  const ByteBuffer wide = vorel::AnsiToWide(text);
  FUZZ_CHECK(wide.size() >= 2 && wide.size() % 2 == 0);
  FUZZ_CHECK(wide[wide.size() - 2] == 0 && wide[wide.size() - 1] == 0);
  for (std::size_t i = 0; i + 2 < wide.size(); i += 2) FUZZ_CHECK(wide[i] != 0 || wide[i + 1] != 0);
  const ByteBuffer arg = vorel::AnsiToWideArg(text);
  FUZZ_CHECK(text.empty() ? arg.empty() : arg == wide);
  // Back to code page 936: a text decoded from it encodes to the same characters.
  const Text back = vorel::WideToAnsi(wide);
  FUZZ_CHECK(back.find('\0') == Text::npos);
  FUZZ_CHECK(vorel::AnsiToWide(back) == wide);
}

void CheckPlatformRoundTrip(const std::string& bytes) {
  const std::u16string units = vorel::platform::Cp936ToUtf16(bytes);
  const std::string encoded = vorel::platform::Utf16ToCp936(units);
  FUZZ_CHECK(vorel::platform::Cp936ToUtf16(encoded) == units);
  // Every byte that decoded to a real character comes back as it was: when no "?" came
  // out of decoding, the bytes are given back whole.
  if (units.find(u'?') == std::u16string::npos) FUZZ_CHECK(encoded == bytes);
}

void CheckCharset(const std::string& charset, const std::string& bytes) {
  const std::optional<std::string> decoded = vorel::platform::DecodeToCp936(charset, bytes);
  if (!decoded) return;
  // The result is code page 936 as the rest of the system reads it: decoding and
  // encoding it again changes nothing.
  const std::u16string units = vorel::platform::Cp936ToUtf16(*decoded);
  FUZZ_CHECK(vorel::platform::Utf16ToCp936(units) == *decoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const std::string charset = provider.ConsumeRandomLengthString(20);
  const std::string raw = provider.ConsumeRemainingBytesAsString();
  const Text text = vorel::fuzz::WithoutZeros(raw);

  CheckUrlEncode(text);
  CheckWide(text);
  CheckPlatformRoundTrip(raw);
  const ByteBuffer wide(raw.begin(), raw.end());
  const Text ansi = vorel::WideToAnsi(wide);
  FUZZ_CHECK(ansi.find('\0') == Text::npos);
  CheckCharset(charset, raw);
  return 0;
}
