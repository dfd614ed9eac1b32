// Fuzzes the URL, header, cookie and marker text routines of the HTTP layer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <set>

#include "fuzz_support.h"
#include "http/cookie_text.h"
#include "http/header_text.h"
#include "http/marker_text.h"
#include "http/url_text.h"
#include "text/text_primitives.h"

namespace {

using vorel::Text;
using vorel::fuzz::IsSubstring;

bool IsAscii(const Text& text) {
  for (char c : text)
    if (vorel::fuzz::IsLeadByte(c)) return false;
  return true;
}

void CheckUrl(const Text& url, bool reduceToDomain, bool keepPort, std::optional<int> labelCount) {
  const Text host = vorel::UrlHost(url, reduceToDomain, keepPort, labelCount);
  if (IsAscii(url)) {
    for (char c : host) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
    if (!labelCount) FUZZ_CHECK(host.find('/') == Text::npos);
  }
  if (!keepPort) FUZZ_CHECK(host.find(':') == Text::npos || !IsAscii(host));
  const int port = vorel::UrlPort(url);
  (void)port;
  const Text path = vorel::UrlPath(url);
  FUZZ_CHECK(!path.empty() && path[0] == '/');
  FUZZ_CHECK(path == "/" ||
             (url.size() >= path.size() && url.compare(url.size() - path.size(), Text::npos, path) == 0));
}

void CheckHeaders(const Text& headers, const Text& name) {
  const Text normalized = vorel::NormalizeHeaders(headers);
  for (const Text& line : vorel::SplitText(normalized, "\r\n")) FUZZ_CHECK(vorel::FindText(line, ":") != -1);
  FUZZ_CHECK(vorel::NormalizeHeaders(normalized) == normalized);
  FUZZ_CHECK(normalized.size() <= headers.size());
  const Text value = vorel::HeaderValue(headers, name);
  FUZZ_CHECK(IsSubstring(headers, value));
  FUZZ_CHECK(IsSubstring(headers, vorel::HeaderLineValue(headers)));
}

void CheckCookies(Text oldCookies, Text newCookies) {
  const Text merged = vorel::MergeCookies(oldCookies, newCookies);
  FUZZ_CHECK(merged == oldCookies);
  std::set<Text> seen;
  for (const Text& entry : vorel::SplitText(merged, "; ")) {
    FUZZ_CHECK(seen.insert(entry).second);
    FUZZ_CHECK(entry.size() < 8 || entry.compare(entry.size() - 8, 8, "=deleted") != 0);
  }
}

void CheckMarkers(const Text& text, const Text& left, const Text& right, int start, bool ignoreCase) {
  FUZZ_CHECK(IsSubstring(text, vorel::TextBetween(text, left, right, start, ignoreCase)));
  for (std::optional<int> s : {std::optional<int>(), std::optional<int>(start)}) {
    const Text before = vorel::TextBefore(text, left, s, ignoreCase);
    FUZZ_CHECK(text.compare(0, before.size(), before) == 0);  // a prefix
    const Text after = vorel::TextAfter(text, left, s, ignoreCase);
    FUZZ_CHECK(after.size() <= text.size() &&
               text.compare(text.size() - after.size(), Text::npos, after) == 0);  // a suffix
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const bool reduceToDomain = provider.ConsumeBool();
  const bool keepPort = provider.ConsumeBool();
  const bool ignoreCase = provider.ConsumeBool();
  const bool hasLabelCount = provider.ConsumeBool();
  const int labelCount = provider.ConsumeIntegralInRange<int>(-2, 6);
  const int start = provider.ConsumeIntegralInRange<int>(-40, 400);
  const Text a = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(40));
  const Text b = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(16));
  const Text text = vorel::fuzz::WithoutZeros(provider.ConsumeRemainingBytesAsString());

  CheckUrl(text, reduceToDomain, keepPort, hasLabelCount ? std::optional<int>(labelCount) : std::nullopt);
  CheckUrl(a, reduceToDomain, keepPort, std::nullopt);
  CheckHeaders(text, b);
  CheckCookies(a, text);
  CheckCookies(text, a);
  CheckMarkers(text, a, b, start, ignoreCase);
  return 0;
}
