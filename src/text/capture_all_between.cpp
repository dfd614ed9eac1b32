#include "text/capture_all_between.h"

#include <string.h>  // memmem

#include <string_view>

namespace vorel {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// First occurrence of `marker` at or after `from`; an empty marker is found at `from`.
std::size_t FindFrom(std::string_view text, std::string_view marker, std::size_t from) {
  if (from > text.size()) return npos;
  if (marker.empty()) return from;
  const void* hit = memmem(text.data() + from, text.size() - from, marker.data(), marker.size());
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : npos;
}

}  // namespace

Text CaptureAllBetween(const Text& text, const Text& leftMarker, const Text& rightMarker) {
  // Two empty markers would match nothing at every position without moving on.
  if (text.empty() || (leftMarker.empty() && rightMarker.empty())) return {};
  const std::string_view page(text);
  Text result;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t left = FindFrom(page, leftMarker, pos);
    if (left == npos) break;
    const std::size_t pieceStart = left + leftMarker.size();
    const std::size_t right = FindFrom(page, rightMarker, pieceStart);
    if (right == npos) break;
    result.append(page.substr(pieceStart, right - pieceStart));
    result.append("\r\n");
    pos = right + rightMarker.size();
  }
  return result;
}

}  // namespace vorel
