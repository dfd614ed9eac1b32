// Fuzzes RegExpObject with the system's two patterns and with fuzzed ones: the search
// ends (an over-complex one gives false), and counts, positions and texts read back
// agree with the subject.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz_support.h"
#include "platform/codepage/code_page_936.h"
#include "text/regexp_object.h"

namespace {

using vorel::Text;

// `value` found at byte `position` of `subject` (or position -1, not found).
void CheckPlaced(const Text& subject, const Text& value, int position) {
  FUZZ_CHECK(position >= -1);
  if (position == -1) return;
  FUZZ_CHECK(static_cast<std::size_t>(position) + value.size() <= subject.size());
  FUZZ_CHECK(subject.compare(static_cast<std::size_t>(position), value.size(), value) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const int which = provider.ConsumeIntegralInRange<int>(0, 2);
  const bool caseSensitive = provider.ConsumeBool();
  const bool multiline = provider.ConsumeBool();
  const bool global = provider.ConsumeBool();
  const bool replaceQuoteMarker = provider.ConsumeBool();
  Text pattern = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(48));
  if (which == 0) pattern = "Location:\\s*(.+)";
  if (which == 1) pattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
  const Text replacement = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(8));
  const Text subject = vorel::fuzz::WithoutZeros(provider.ConsumeRemainingBytesAsString());

  vorel::RegExpObject regExp;
  const bool executed =
      regExp.CreateAndExecute(pattern, subject, caseSensitive, multiline, global, replaceQuoteMarker);
  const int count = regExp.MatchCount();
  FUZZ_CHECK(count >= 0);
  if (!executed) FUZZ_CHECK(count == 0);
  if (!global) FUZZ_CHECK(count <= 1);
  // The texts come back through UTF-16: compare with the subject as it reads back.
  const Text seen = vorel::platform::Utf16ToCp936(vorel::platform::Cp936ToUtf16(subject));
  const int subCount = regExp.SubMatchCount();
  FUZZ_CHECK(subCount >= 0);
  for (int i = 1; i <= count && i <= 64; ++i) {
    int position = -2;
    const Text match = regExp.MatchText(i, &position);
    FUZZ_CHECK(vorel::fuzz::IsSubstring(seen, match));
    CheckPlaced(seen, match, position);
    for (int k = 1; k <= subCount && k <= 8; ++k) {
      int subPosition = -2;
      const Text sub = regExp.SubMatchText(i, k, &subPosition);
      FUZZ_CHECK(vorel::fuzz::IsSubstring(match, sub) || subPosition == -1);
      CheckPlaced(seen, sub, subPosition);
    }
  }
  int outside = 0;
  FUZZ_CHECK(regExp.MatchText(count + 1, &outside).empty() && outside == -1);
  FUZZ_CHECK(regExp.SubMatchText(1, 0, &outside).empty() && outside == -1);
  FUZZ_CHECK(regExp.SubMatchText(1, subCount + 1, &outside).empty() && outside == -1);
  (void)regExp.ReplaceMatches(replacement);
  (void)regExp.GetPattern();
  return 0;
}
