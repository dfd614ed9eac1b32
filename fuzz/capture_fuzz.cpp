// Fuzzes CaptureAllBetween against a plain find loop over arbitrary texts and markers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz_support.h"
#include "text/capture_all_between.h"

namespace {

using vorel::Text;

// Left marker, then the first right marker at or after its end; on after the right one.
Text ReferenceCapture(const std::string& text, const std::string& left, const std::string& right,
                      std::vector<std::string>& pieces) {
  if (text.empty() || (left.empty() && right.empty())) return {};
  Text result;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t l = text.find(left, pos);
    if (l == std::string::npos) break;
    const std::size_t start = l + left.size();
    const std::size_t r = text.find(right, start);
    if (r == std::string::npos) break;
    pieces.push_back(text.substr(start, r - start));
    result += pieces.back();
    result += "\r\n";
    pos = r + right.size();
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const Text left = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(12));
  const Text right = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(12));
  const Text text = vorel::fuzz::WithoutZeros(provider.ConsumeRemainingBytesAsString());

  std::vector<std::string> pieces;
  const Text captured = vorel::CaptureAllBetween(text, left, right);
  FUZZ_CHECK(captured == ReferenceCapture(text, left, right, pieces));
  if (left.empty() && right.empty()) FUZZ_CHECK(captured.empty());
  for (const std::string& piece : pieces) {
    // The nearest right marker ends a piece, so none lies inside it.
    if (!right.empty()) FUZZ_CHECK(piece.find(right) == std::string::npos);
    FUZZ_CHECK(vorel::fuzz::IsSubstring(text, piece));
  }
  return 0;
}
