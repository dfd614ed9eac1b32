#include "http/marker_text.h"

#include "text/regexp_object.h"
#include "text/text_primitives.h"

namespace vorel {

namespace {

// The bytes after the marker found at p (1-based), or empty when it was not found.
Text AfterMatch(const Text& text, const Text& marker, int p) {
  if (p == -1) return {};
  return TextRight(text, TextLength(text) - TextLength(marker) - p + 1);
}

}  // namespace

Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start,
                 bool ignoreCase) {
  const Text left = ReplaceQuoteMarker(leftMarker);
  const Text right = ReplaceQuoteMarker(rightMarker);
  const int p = FindText(text, left, start, ignoreCase);
  if (p == -1) return {};
  const int c = p + TextLength(left);
  const int q = FindText(text, right, c, ignoreCase);
  if (q == -1) return {};
  return TextMid(text, c, q - c);
}

Text TextBefore(const Text& text, const Text& marker, std::optional<int> start, bool ignoreCase) {
  int p = -1;
  if (start && *start < 0) {
    const int k = -*start;
    const int j = k == 1 ? 0 : k;
    p = FindTextReverse(text, marker, TextLength(text) - j, ignoreCase);
  } else {
    p = FindText(text, marker, start.value_or(1), ignoreCase);
  }
  if (p == -1) return {};
  return TextLeft(text, p - 1);
}

Text TextAfter(const Text& text, const Text& marker, std::optional<int> start, bool ignoreCase) {
  const int length = TextLength(text);
  int p = -1;
  if (!start) {
    p = FindTextReverse(text, marker, length, ignoreCase);
  } else if (*start >= 0) {
    p = FindTextReverse(text, marker, length - *start, ignoreCase);
  } else {
    p = FindText(text, marker, -*start, ignoreCase);
  }
  return AfterMatch(text, marker, p);
}

}  // namespace vorel
