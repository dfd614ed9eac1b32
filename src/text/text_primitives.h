// Text, byte-buffer, array and number operations shared by the whole system.
//
// Scanning operations (FindText, FindTextReverse, ReplaceText, SplitText, TrimBoth,
// TrimEnd, ToLower, ToUpper) step over a two-byte character (lead byte >= 0x80 and the
// byte after it) as a whole and never match at its second byte; a lead byte that is the
// last byte of the text ends the scan. ignoreCase / caseSensitive fold ASCII letters only.
#pragma once

#include <optional>
#include <string_view>

#include "text/text_types.h"

namespace vorel {

// --- Texts ---------------------------------------------------------------------------
int TextLength(const Text& text);
Text TextLeft(const Text& text, int n);
Text TextRight(const Text& text, int n);
Text TextMid(const Text& text, int start, int n);  // start < 1 or > length: empty

template <class... Parts>
Text ConcatText(const Parts&... parts) {
  Text result;
  result.reserve((std::string_view(parts).size() + ... + 0));
  (result.append(std::string_view(parts)), ...);
  return result;
}

bool TextEquals(const Text& a, const Text& b);
int CompareText(const Text& a, const Text& b, bool caseSensitive);
int CharCode(const Text& text);  // first byte as a signed 8-bit value; empty gives 0
Text CharFromCode(int code);     // one byte (low byte of code); 0 gives empty
Text BlankText(int n);           // n blanks
Text ToLower(const Text& text);
Text ToUpper(const Text& text);
Text TrimBoth(const Text& text);  // blanks are 0x20 and the ideographic blank A1 A1
Text TrimEnd(const Text& text);

// First occurrence at or after byte `start` (omitted, 0 or negative: from byte 1).
int FindText(const Text& text, const Text& sub, std::optional<int> start = std::nullopt,
             bool ignoreCase = false);
// Last occurrence lying wholly before byte `start` (omitted: the whole text).
int FindTextReverse(const Text& text, const Text& sub, std::optional<int> start = std::nullopt,
                    bool ignoreCase = false);
// Every occurrence, left to right, without overlap; empty text or sub gives a copy.
Text ReplaceText(const Text& text, const Text& sub, const Text& replacement, bool caseSensitive);
// Pieces between separators; a trailing empty piece is not a member.
TextArray SplitText(const Text& text, const Text& separator);

Text NumberToText(int value);     // decimal, "-" for negatives
Text NumberToText(double value);  // "%.13g"
int TextToInt(const Text& text);  // full-width forms read as ASCII; no digits gives 0
Text HexText(int value);          // upper-case hex digits, no padding

// --- Byte buffers --------------------------------------------------------------------
int BytesLength(const ByteBuffer& buffer);
ByteBuffer BytesLeft(const ByteBuffer& buffer, int n);
ByteBuffer BytesMid(const ByteBuffer& buffer, int start, int n);  // start <= 1 reads from byte 1
ByteBuffer BlankBytes(int n);                                     // n zero bytes
ByteBuffer TextToBytes(const Text& text);
ByteBuffer TextToBytes(const ByteBuffer& buffer);
Text BytesToText(const ByteBuffer& buffer);  // bytes before the first zero byte
ByteBuffer PointerToBytes(const void* address, int n);
bool BytesEqual(const ByteBuffer& a, const ByteBuffer& b);

template <class... Buffers>
ByteBuffer ConcatBytes(const Buffers&... buffers) {
  ByteBuffer result;
  result.reserve((buffers.size() + ... + 0));
  (result.insert(result.end(), buffers.begin(), buffers.end()), ...);
  return result;
}

// --- Arrays --------------------------------------------------------------------------
int ArrayCount(const TextArray& array);
void ArrayAppend(TextArray& array, const Text& value);

// --- Numbers -------------------------------------------------------------------------
double IntegerDivide(double x, double y);  // truncated toward zero; y == 0 is fatal
double Remainder(double x, double y);      // sign of x; y == 0 is fatal
int RandomInRange(int low, int high);      // 15-bit generator, never seeded

template <class... Ints>
int BitOr(Ints... values) {
  return (values | ... | 0);
}

}  // namespace vorel
