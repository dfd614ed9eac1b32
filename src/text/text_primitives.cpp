#include "text/text_primitives.h"

#include <string.h>  // memmem

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "text/events.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

constexpr std::size_t npos = std::string_view::npos;

inline unsigned char Byte(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}
inline bool IsLead(unsigned char b) { return b >= 0x80; }
inline unsigned char FoldAscii(unsigned char b) {
  return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

bool EqualsFolded(const char* at, std::string_view sub) {
  for (std::size_t i = 0; i < sub.size(); ++i)
    if (FoldAscii(static_cast<unsigned char>(at[i])) != FoldAscii(static_cast<unsigned char>(sub[i])))
      return false;
  return true;
}

// Scans `text` by character, the first character starting at `from`, for the first
// position where `sub` (not empty) lies wholly inside `text`. A lead byte that is the
// last byte ends the scan. Returns the 0-based position or npos.
std::size_t ScanFind(std::string_view text, std::size_t from, std::string_view sub, bool ignoreCase) {
  const std::size_t length = text.size();
  const std::size_t subLength = sub.size();
  std::size_t pos = from;
  if (!ignoreCase) {
    // Candidates come from a fast byte search; one that starts on the second byte of a
    // character is passed over. The walk between candidates only moves forward.
    while (pos <= length && length - pos >= subLength) {
      const void* hit = memmem(text.data() + pos, length - pos, sub.data(), subLength);
      if (!hit) return npos;
      const std::size_t candidate = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
      while (pos < candidate) pos += IsLead(Byte(text, pos)) ? 2 : 1;
      if (pos == candidate) return candidate;
    }
    return npos;
  }
  const unsigned char first = FoldAscii(static_cast<unsigned char>(sub[0]));
  while (pos <= length && length - pos >= subLength) {
    const unsigned char b = Byte(text, pos);
    if (FoldAscii(b) == first && EqualsFolded(text.data() + pos, sub)) return pos;
    if (IsLead(b)) {
      if (pos + 1 >= length) return npos;
      pos += 2;
    } else {
      pos += 1;
    }
  }
  return npos;
}

// Character code for CompareText: a two-byte character counts as one code.
unsigned NextCode(std::string_view text, std::size_t& pos) {
  if (pos >= text.size()) return 0;
  const unsigned char b = Byte(text, pos);
  if (IsLead(b) && pos + 1 < text.size()) {
    const unsigned code = (static_cast<unsigned>(b) << 8) | Byte(text, pos + 1);
    pos += 2;
    return code;
  }
  pos += 1;
  return b;
}

bool IsBlankAt(std::string_view text, std::size_t pos, std::size_t& width) {
  const unsigned char b = Byte(text, pos);
  if (b == 0x20) {
    width = 1;
    return true;
  }
  if (b == 0xA1 && pos + 1 < text.size() && Byte(text, pos + 1) == 0xA1) {
    width = 2;
    return true;
  }
  return false;
}

// End of the text once its trailing run of blanks (and a dangling lead byte) is gone,
// scanning by character from `start`.
std::size_t TrimmedEnd(std::string_view text, std::size_t start) {
  std::size_t pos = start;
  std::size_t runStart = npos;
  std::size_t end = text.size();
  while (pos < text.size()) {
    std::size_t width = 0;
    if (IsBlankAt(text, pos, width)) {
      if (runStart == npos) runStart = pos;
      pos += width;
      continue;
    }
    const unsigned char b = Byte(text, pos);
    if (IsLead(b)) {
      if (pos + 1 >= text.size()) {
        end = pos;  // dangling lead byte: dropped
        break;
      }
      pos += 2;
    } else {
      pos += 1;
    }
    runStart = npos;
  }
  return runStart != npos ? runStart : end;
}

Text MapAsciiLetters(const Text& text, bool toUpper) {
  Text result = text;
  const std::size_t length = result.size();
  for (std::size_t pos = 0; pos < length;) {
    const auto b = static_cast<unsigned char>(result[pos]);
    if (IsLead(b)) {
      pos += 2;  // a lead byte at the end stays and ends the scan
      continue;
    }
    if (toUpper && b >= 'a' && b <= 'z') result[pos] = static_cast<char>(b - ('a' - 'A'));
    if (!toUpper && b >= 'A' && b <= 'Z') result[pos] = static_cast<char>(b + ('a' - 'A'));
    pos += 1;
  }
  return result;
}

// The 15-bit generator of the C library that Windows programs use, never seeded.
struct RandomState {
  std::uint32_t value = 1;
  int Next() {
    value = value * 214013u + 2531011u;
    return static_cast<int>((value >> 16) & 0x7FFF);
  }
};

}  // namespace

// --- Texts ---------------------------------------------------------------------------

int TextLength(const Text& text) { return static_cast<int>(text.size()); }

Text TextLeft(const Text& text, int n) {
  if (n <= 0) return {};
  return text.substr(0, static_cast<std::size_t>(n));
}

Text TextRight(const Text& text, int n) {
  if (n <= 0) return {};
  const std::size_t count = std::min(static_cast<std::size_t>(n), text.size());
  return text.substr(text.size() - count);
}

Text TextMid(const Text& text, int start, int n) {
  if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) return {};
  return text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n));
}

bool TextEquals(const Text& a, const Text& b) { return a == b; }

int CompareText(const Text& a, const Text& b, bool caseSensitive) {
  std::size_t i = 0;
  std::size_t j = 0;
  for (;;) {
    unsigned x = NextCode(a, i);
    unsigned y = NextCode(b, j);
    if (!caseSensitive) {
      if (x < 0x80) x = FoldAscii(static_cast<unsigned char>(x));
      if (y < 0x80) y = FoldAscii(static_cast<unsigned char>(y));
    }
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

int CharCode(const Text& text) {
  if (text.empty()) return 0;
  return static_cast<signed char>(text[0]);
}

Text CharFromCode(int code) {
  const char byte = static_cast<char>(code & 0xFF);
  if (byte == 0) return {};
  return Text(1, byte);
}

Text BlankText(int n) {
  if (n <= 0) return {};
  return Text(static_cast<std::size_t>(n), ' ');
}

Text ToLower(const Text& text) { return MapAsciiLetters(text, false); }
Text ToUpper(const Text& text) { return MapAsciiLetters(text, true); }

Text TrimBoth(const Text& text) {
  std::size_t start = 0;
  std::size_t width = 0;
  while (start < text.size() && IsBlankAt(text, start, width)) start += width;
  const std::size_t end = TrimmedEnd(text, start);
  return text.substr(start, end - start);
}

Text TrimEnd(const Text& text) { return text.substr(0, TrimmedEnd(text, 0)); }

int FindText(const Text& text, const Text& sub, std::optional<int> start, bool ignoreCase) {
  const std::int64_t skip = start ? std::max<std::int64_t>(std::int64_t{*start} - 1, 0) : 0;
  if (skip >= static_cast<std::int64_t>(text.size())) return -1;
  if (sub.empty()) return 1;
  const std::size_t found = ScanFind(text, static_cast<std::size_t>(skip), sub, ignoreCase);
  return found == npos ? -1 : static_cast<int>(found) + 1;
}

int FindTextReverse(const Text& text, const Text& sub, std::optional<int> start, bool ignoreCase) {
  std::int64_t limit = static_cast<std::int64_t>(text.size());
  if (start) limit = std::clamp<std::int64_t>(std::int64_t{*start} - 1, 0, limit);
  if (sub.empty()) return limit >= 1 ? 1 : -1;
  const std::string_view range(text.data(), static_cast<std::size_t>(limit));
  std::size_t pos = 0;
  int last = -1;
  for (;;) {
    const std::size_t found = ScanFind(range, pos, sub, ignoreCase);
    if (found == npos) return last;
    last = static_cast<int>(found) + 1;
    pos = found + (IsLead(Byte(range, found)) ? 2 : 1);
  }
}

Text ReplaceText(const Text& text, const Text& sub, const Text& replacement, bool caseSensitive) {
  if (text.empty() || sub.empty()) return text;
  const std::size_t length = text.size();
  Text result;
  result.reserve(length);
  std::size_t pos = 0;
  for (;;) {
    const std::size_t found = ScanFind(text, pos, sub, !caseSensitive);
    if (found == npos) break;
    result.append(text, pos, found - pos);
    result += replacement;
    pos = found + sub.size();
  }
  // The scan goes on by character while the sub still fits; a lead byte that is the
  // last byte of the text is dropped there. The rest is copied unchanged.
  std::size_t end = length;
  for (std::size_t q = pos; q < length && length - q >= sub.size();) {
    if (IsLead(Byte(text, q))) {
      if (q + 1 >= length) {
        end = q;
        break;
      }
      q += 2;
    } else {
      q += 1;
    }
  }
  if (pos < end) result.append(text, pos, end - pos);
  return result;
}

TextArray SplitText(const Text& text, const Text& separator) {
  TextArray result;
  if (text.empty()) return result;
  if (separator.empty()) {
    result.Append(text);
    return result;
  }
  std::size_t pieceStart = 0;
  for (;;) {
    const std::size_t found = ScanFind(text, pieceStart, separator, false);
    if (found == npos) break;
    result.Append(text.substr(pieceStart, found - pieceStart));
    pieceStart = found + separator.size();
  }
  if (pieceStart < text.size()) result.Append(text.substr(pieceStart));
  return result;
}

Text NumberToText(int value) { return std::to_string(value); }

Text NumberToText(double value) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%.13g", value);
  if (n <= 0) return {};
  return Text(buffer, static_cast<std::size_t>(std::min<int>(n, sizeof buffer - 1)));
}

int TextToInt(const Text& text) {
  const std::size_t length = text.size();
  std::size_t pos = 0;
  // The next character read as ASCII: full-width forms A3A1..A3FE give their ASCII
  // counterpart, the ideographic blank a blank; any other two-byte character stops.
  auto peek = [&](std::size_t& width) -> unsigned char {
    if (pos >= length) return 0;
    const unsigned char b = Byte(text, pos);
    width = 1;
    if (!IsLead(b)) return b;
    if (pos + 1 >= length) return 0;
    width = 2;
    const unsigned char trail = Byte(text, pos + 1);
    if (b == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<unsigned char>(trail - 0x80);
    if (b == 0xA1 && trail == 0xA1) return ' ';
    return 0;
  };
  std::size_t width = 0;
  unsigned char c = peek(width);
  while (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') {
    pos += width;
    c = peek(width);
  }
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    pos += width;
    c = peek(width);
  }
  std::uint32_t value = 0;
  while (c >= '0' && c <= '9') {
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
    pos += width;
    c = peek(width);
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

Text HexText(int value) {
  char buffer[16];
  const int n = std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(value));
  return Text(buffer, static_cast<std::size_t>(n));
}

// --- Byte buffers --------------------------------------------------------------------

int BytesLength(const ByteBuffer& buffer) { return static_cast<int>(buffer.size()); }

ByteBuffer BytesLeft(const ByteBuffer& buffer, int n) {
  if (n <= 0) return {};
  const std::size_t count = std::min(static_cast<std::size_t>(n), buffer.size());
  return ByteBuffer(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count));
}

ByteBuffer BytesMid(const ByteBuffer& buffer, int start, int n) {
  const std::size_t first = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (n <= 0 || first >= buffer.size()) return {};
  const std::size_t count = std::min(static_cast<std::size_t>(n), buffer.size() - first);
  const auto begin = buffer.begin() + static_cast<std::ptrdiff_t>(first);
  return ByteBuffer(begin, begin + static_cast<std::ptrdiff_t>(count));
}

ByteBuffer BlankBytes(int n) {
  if (n <= 0) return {};
  return ByteBuffer(static_cast<std::size_t>(n), 0);
}

ByteBuffer TextToBytes(const Text& text) { return ByteBuffer(text.begin(), text.end()); }

ByteBuffer TextToBytes(const ByteBuffer& buffer) { return buffer; }

Text BytesToText(const ByteBuffer& buffer) {
  if (buffer.empty()) return {};
  const void* zero = std::memchr(buffer.data(), 0, buffer.size());
  const std::size_t count =
      zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - buffer.data()) : buffer.size();
  return Text(reinterpret_cast<const char*>(buffer.data()), count);
}

ByteBuffer PointerToBytes(const void* address, int n) {
  if (address == nullptr || n <= 0) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(address);
  return ByteBuffer(bytes, bytes + n);
}

bool BytesEqual(const ByteBuffer& a, const ByteBuffer& b) { return a == b; }

// --- Arrays --------------------------------------------------------------------------

int ArrayCount(const TextArray& array) { return array.Count(); }

void ArrayAppend(TextArray& array, const Text& value) { array.Append(value); }

// --- Numbers -------------------------------------------------------------------------

double IntegerDivide(double x, double y) {
  if (y == 0) FatalError(0, FromUtf8("不能整除于零"));
  return std::trunc(x / y);
}

double Remainder(double x, double y) {
  if (y == 0) FatalError(0, FromUtf8("不能求余数于零"));
  // x - y * trunc(x / y), computed exactly; the result carries the sign of x.
  return std::fmod(x, y);
}

int RandomInRange(int low, int high) {
  thread_local RandomState state;
  if (low < 0) low = 0;
  if (high < 0) high = 0;
  if (low > high) std::swap(low, high);
  if (low == high) return low;
  const std::int64_t span = std::int64_t{high} - low + 1;
  return static_cast<int>(low + state.Next() % span);
}

}  // namespace vorel
