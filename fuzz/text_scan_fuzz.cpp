// Fuzzes the scanning text primitives against small reference walks: FindText,
// FindTextReverse, ReplaceText, SplitText, TrimBoth, TrimEnd, TextToInt, ToLower, ToUpper.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "fuzz_support.h"
#include "text/text_primitives.h"

namespace {

using vorel::Text;
using vorel::fuzz::CharStarts;
using vorel::fuzz::IsLeadByte;
using vorel::fuzz::MatchesAt;

constexpr std::size_t npos = std::string::npos;

// The character walk of the scanning routines: from `from`, try a match, then step one
// character; a lead byte that is the last byte ends the walk. `limit` bounds the range.
std::size_t ReferenceFind(std::string_view text, std::size_t from, std::string_view sub, bool ignoreCase) {
  std::size_t pos = from;
  while (pos <= text.size() && text.size() - pos >= sub.size()) {
    if (MatchesAt(text, pos, sub, ignoreCase)) return pos;
    if (IsLeadByte(text[pos]) && pos + 1 >= text.size()) return npos;
    pos += IsLeadByte(text[pos]) ? 2 : 1;
  }
  return npos;
}

void CheckFind(const Text& text, const Text& sub, std::optional<int> start, bool ignoreCase) {
  const int found = vorel::FindText(text, sub, start, ignoreCase);
  const long long skip = start ? std::max<long long>(*start - 1LL, 0) : 0;
  if (skip >= static_cast<long long>(text.size())) {
    FUZZ_CHECK(found == -1);
    return;
  }
  if (sub.empty()) {
    FUZZ_CHECK(found == 1);
    return;
  }
  FUZZ_CHECK(found == -1 || (found >= 1 && found <= static_cast<int>(text.size() - sub.size()) + 1));
  const std::size_t expected = ReferenceFind(text, static_cast<std::size_t>(skip), sub, ignoreCase);
  FUZZ_CHECK(found == (expected == npos ? -1 : static_cast<int>(expected) + 1));
  if (found != -1) {
    FUZZ_CHECK(CharStarts(text, static_cast<std::size_t>(skip))[static_cast<std::size_t>(found - 1)]);
    FUZZ_CHECK(MatchesAt(text, static_cast<std::size_t>(found - 1), sub, ignoreCase));
  }
}

void CheckFindReverse(const Text& text, const Text& sub, std::optional<int> start, bool ignoreCase) {
  const int found = vorel::FindTextReverse(text, sub, start, ignoreCase);
  long long limit = static_cast<long long>(text.size());
  if (start) limit = std::clamp<long long>(*start - 1LL, 0, limit);
  if (sub.empty()) {
    FUZZ_CHECK(found == (limit >= 1 ? 1 : -1));
    return;
  }
  const std::string_view range(text.data(), static_cast<std::size_t>(limit));
  int expected = -1;
  for (std::size_t pos = 0; pos < range.size() && range.size() - pos >= sub.size();) {
    if (MatchesAt(range, pos, sub, ignoreCase)) expected = static_cast<int>(pos) + 1;
    if (IsLeadByte(range[pos]) && pos + 1 >= range.size()) break;
    pos += IsLeadByte(range[pos]) ? 2 : 1;
  }
  FUZZ_CHECK(found == expected);
  if (found != -1) {
    FUZZ_CHECK(found >= 1 && found + static_cast<long long>(sub.size()) - 1 <= limit);
    FUZZ_CHECK(CharStarts(text)[static_cast<std::size_t>(found - 1)]);
  }
}

// ReplaceText as the steps read: compare at each character, copy a character otherwise,
// drop a lead byte that is the last byte, then the rest unchanged.
Text ReferenceReplace(const Text& text, const Text& sub, const Text& replacement, bool caseSensitive) {
  if (text.empty() || sub.empty()) return text;
  Text result;
  std::size_t pos = 0;
  while (text.size() - pos >= sub.size()) {
    if (MatchesAt(text, pos, sub, !caseSensitive)) {
      result += replacement;
      pos += sub.size();
      continue;
    }
    if (IsLeadByte(text[pos])) {
      if (pos + 1 >= text.size()) return result;
      result.append(text, pos, 2);
      pos += 2;
    } else {
      result += text[pos];
      pos += 1;
    }
  }
  result.append(text, pos);
  return result;
}

void CheckReplace(const Text& text, const Text& sub, const Text& replacement, bool caseSensitive) {
  const Text replaced = vorel::ReplaceText(text, sub, replacement, caseSensitive);
  FUZZ_CHECK(replaced == ReferenceReplace(text, sub, replacement, caseSensitive));
  const Text same = vorel::ReplaceText(text, sub, sub, true);
  // Identity, but for a lead byte left dangling at the end, which the scan drops (the
  // walk goes on right after a match, so "dangling" depends on where the matches were).
  const bool dangling = !text.empty() && IsLeadByte(text.back());
  FUZZ_CHECK(same == text || (dangling && same == text.substr(0, text.size() - 1)));
}

void CheckSplit(const Text& text, const Text& separator) {
  const vorel::TextArray parts = vorel::SplitText(text, separator);
  if (text.empty()) {
    FUZZ_CHECK(parts.Count() == 0);
    return;
  }
  if (separator.empty()) {
    FUZZ_CHECK(parts.Count() == 1 && parts[1] == text);
    return;
  }
  Text joined;
  for (int i = 1; i <= parts.Count(); ++i) {
    if (i > 1) joined += separator;
    joined += parts[i];
  }
  // Joined back, the members give the text without one trailing separator.
  const bool trailing = text.size() >= separator.size() &&
                        text.compare(text.size() - separator.size(), npos, separator) == 0 &&
                        joined.size() + separator.size() == text.size();
  FUZZ_CHECK(joined == text || (trailing && joined + separator == text));
  // Every cut lies where a separator starts at a character boundary, the characters
  // counted from the start of its piece (the walk goes on right after a separator).
  std::size_t pos = 0;
  for (int i = 1; i < parts.Count(); ++i) {
    const std::size_t pieceStart = pos;
    pos += parts[i].size();
    FUZZ_CHECK(ReferenceFind(text, pieceStart, separator, false) == pos);
    pos += separator.size();
  }
}

bool IsBlankChar(std::string_view text, std::size_t pos) {
  if (text[pos] == ' ') return true;
  return static_cast<unsigned char>(text[pos]) == 0xA1 && pos + 1 < text.size() &&
         static_cast<unsigned char>(text[pos + 1]) == 0xA1;
}

// `trimmed` must be text[from, from + size) with no blank as its first (when checkLeft)
// or last character, and only blanks (and a dangling lead byte) cut off around it.
void CheckTrimmed(const Text& text, const Text& trimmed, bool checkLeft) {
  std::size_t from = 0;
  if (checkLeft) {
    while (from < text.size() && IsBlankChar(text, from)) from += text[from] == ' ' ? 1 : 2;
  }
  FUZZ_CHECK(text.compare(from, trimmed.size(), trimmed) == 0);
  if (!trimmed.empty()) {
    FUZZ_CHECK(!checkLeft || !IsBlankChar(trimmed, 0));
    std::size_t pos = 0;
    std::size_t last = 0;
    while (pos < trimmed.size()) {
      last = pos;
      pos += IsLeadByte(trimmed[pos]) ? 2 : 1;
    }
    FUZZ_CHECK(pos == trimmed.size());  // no dangling lead byte is kept
    FUZZ_CHECK(!IsBlankChar(trimmed, last));
  }
  // The rest of the text after the result: blanks only, then perhaps a dangling lead byte.
  std::size_t pos = from + trimmed.size();
  while (pos < text.size()) {
    if (IsBlankChar(text, pos)) {
      pos += text[pos] == ' ' ? 1 : 2;
      continue;
    }
    FUZZ_CHECK(IsLeadByte(text[pos]) && pos + 1 == text.size());
    break;
  }
}

void CheckCase(const Text& text) {
  const Text lower = vorel::ToLower(text);
  const Text upper = vorel::ToUpper(text);
  FUZZ_CHECK(lower.size() == text.size() && upper.size() == text.size());
  const std::vector<bool> starts = CharStarts(text);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!starts[i] || IsLeadByte(c)) {
      FUZZ_CHECK(lower[i] == c && upper[i] == c);
      continue;
    }
    FUZZ_CHECK(lower[i] == ((c >= 'A' && c <= 'Z') ? c + 32 : c));
    FUZZ_CHECK(upper[i] == ((c >= 'a' && c <= 'z') ? c - 32 : c));
  }
}

void CheckTextToInt(const Text& text) {
  const int value = vorel::TextToInt(text);
  bool ascii = true;
  for (char c : text) ascii = ascii && !IsLeadByte(c);
  if (!ascii) return;
  errno = 0;
  const long long expected = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == 0 && expected >= INT_MIN && expected <= INT_MAX) FUZZ_CHECK(value == expected);
  // The full-width form of the same text reads the same.
  Text wide;
  for (char c : text) {
    if (c == ' ') {
      wide += "\xA1\xA1";
    } else if (c > 0x20 && c < 0x7F) {
      wide += '\xA3';
      wide += static_cast<char>(c + 0x80);
    } else {
      wide += c;
    }
  }
  FUZZ_CHECK(vorel::TextToInt(wide) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const bool ignoreCase = provider.ConsumeBool();
  const bool hasStart = provider.ConsumeBool();
  const int startValue = provider.ConsumeIntegralInRange<int>(-4, 600);
  const std::optional<int> start = hasStart ? std::optional<int>(startValue) : std::nullopt;
  const Text sub = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(24));
  const Text replacement = vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(8));
  const Text text = vorel::fuzz::WithoutZeros(provider.ConsumeRemainingBytesAsString());

  CheckFind(text, sub, start, ignoreCase);
  CheckFindReverse(text, sub, start, ignoreCase);
  CheckReplace(text, sub, replacement, !ignoreCase);
  CheckSplit(text, sub);
  CheckTrimmed(text, vorel::TrimBoth(text), true);
  CheckTrimmed(text, vorel::TrimEnd(text), false);
  CheckCase(text);
  CheckTextToInt(text);
  CheckTextToInt(sub);
  return 0;
}
