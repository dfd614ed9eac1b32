#include "http/cookie_text.h"

#include "text/text_primitives.h"

namespace vorel {

namespace {

const Text kSeparator = "; ";
const Text kDeletedMark = "=deleted";

// Trimmed; a trailing ";" gets its blank so that splitting at "; " drops it.
Text TidyCookies(const Text& cookies) {
  Text tidy = TrimBoth(cookies);
  if (TextRight(tidy, 1) == ";") tidy += " ";
  return tidy;
}

}  // namespace

Text MergeCookies(Text& oldCookies, Text& newCookies) {
  oldCookies = TidyCookies(oldCookies);
  newCookies = TidyCookies(newCookies);
  const TextArray old = SplitText(oldCookies, kSeparator);
  TextArray merged = SplitText(newCookies, kSeparator);
  for (const Text& entry : old) {
    if (!HasCookieName(merged, CookieName(entry))) merged.Append(entry);
  }
  Text joined;
  for (const Text& entry : merged) {
    if (TextRight(entry, TextLength(kDeletedMark)) != kDeletedMark) joined += ConcatText(entry, kSeparator);
  }
  joined = TextLeft(joined, TextLength(joined) - TextLength(kSeparator));
  oldCookies = JoinUnique(joined, kSeparator, true);
  return oldCookies;
}

Text CookieName(const Text& entry) {
  const int equals = FindText(entry, "=");
  return TrimBoth(equals == -1 ? entry : TextLeft(entry, equals - 1));
}

bool HasCookieName(const TextArray& entries, const Text& name) {
  for (const Text& entry : entries) {
    if (CookieName(entry) == name) return true;
  }
  return false;
}

Text JoinUnique(const Text& text, const Text& separator, bool splitBySeparator) {
  const TextArray pieces = splitBySeparator ? SplitText(text, separator) : SplitChars(text);
  TextArray taken;
  Text result;
  for (const Text& piece : pieces) {
    if (IndexOfText(taken, piece) != -1) continue;
    taken.Append(piece);
    result += ConcatText(piece, separator);
  }
  return TextLeft(result, TextLength(result) - TextLength(separator));
}

TextArray SplitChars(const Text& text) {
  TextArray pieces;
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool pair = (byte >= 0x81 && i + 1 < size) || (byte == '\r' && i + 1 < size && text[i + 1] == '\n');
    const std::size_t width = pair ? 2 : 1;
    pieces.Append(text.substr(i, width));
    i += width;
  }
  return pieces;
}

int IndexOfText(const TextArray& array, const Text& text) {
  int index = 1;
  for (const Text& member : array) {
    if (member == text) return index;
    ++index;
  }
  return -1;
}

}  // namespace vorel
