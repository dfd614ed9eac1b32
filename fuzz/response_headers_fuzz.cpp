// Fuzzes the reading of raw response header blocks shared by WinHttpFetch and InetFetch:
// status text, Set-Cookie values and the Location line.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz_support.h"
#include "http/response_headers.h"

namespace {

using vorel::Text;

bool HasLineBreakByte(const Text& text) { return text.find_first_of("\r\n") != Text::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const Text earlier = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(16));
  const Text headers = vorel::fuzz::WithoutZeros(provider.ConsumeRemainingBytesAsString());

  const Text status = vorel::ResponseStatusText(headers);
  FUZZ_CHECK(!HasLineBreakByte(status));
  FUZZ_CHECK(vorel::fuzz::IsSubstring(headers, status));

  const Text cookies = vorel::AppendSetCookies(Text(), headers);
  FUZZ_CHECK(cookies.size() < 2 || cookies.compare(cookies.size() - 2, 2, "; ") != 0);
  FUZZ_CHECK(!HasLineBreakByte(cookies));
  FUZZ_CHECK(cookies.empty() || cookies.front() != ' ');
  // Appending to earlier cookies keeps them in front.
  const Text appended = vorel::AppendSetCookies(earlier, headers);
  const Text earlierCut = earlier.size() >= 2 && earlier.compare(earlier.size() - 2, 2, "; ") == 0
                              ? earlier.substr(0, earlier.size() - 2)
                              : earlier;
  FUZZ_CHECK(appended.compare(0, earlierCut.size(), earlierCut) == 0);
  if (cookies.empty()) FUZZ_CHECK(appended == earlierCut);

  if (const std::optional<Text> location = vorel::LastLocation(headers)) {
    FUZZ_CHECK(!HasLineBreakByte(*location));
    FUZZ_CHECK(vorel::fuzz::IsSubstring(headers, *location));
  }
  FUZZ_CHECK(vorel::ResponseHeaderLineCount(headers) >= 0);
  return 0;
}
