// Small helpers shared by the fuzz targets: a property check that stops the run with a
// message, and the character boundaries of a code page 936 text.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                                 \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                           \
    }                                                                                         \
  } while (0)

namespace vorel::fuzz {

inline bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Texts hold no zero byte: fuzzed texts lose theirs.
inline std::string WithoutZeros(std::string text) {
  std::erase(text, '\0');
  return text;
}

// starts[i] is true where a character begins when the text is walked from byte `from`
// (0-based): a byte of 0x80 or above and the byte after it form one character.
inline std::vector<bool> CharStarts(std::string_view text, std::size_t from = 0) {
  std::vector<bool> starts(text.size() + 1, false);
  std::size_t pos = from;
  while (pos < text.size()) {
    starts[pos] = true;
    pos += IsLeadByte(text[pos]) ? 2 : 1;
  }
  if (pos == text.size()) starts[pos] = true;
  return starts;
}

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool MatchesAt(std::string_view text, std::size_t pos, std::string_view sub, bool ignoreCase) {
  if (pos > text.size() || text.size() - pos < sub.size()) return false;
  for (std::size_t i = 0; i < sub.size(); ++i) {
    const char a = text[pos + i];
    const char b = sub[i];
    if (ignoreCase ? FoldAscii(a) != FoldAscii(b) : a != b) return false;
  }
  return true;
}

inline bool IsSubstring(std::string_view whole, std::string_view part) {
  return whole.find(part) != std::string_view::npos;
}

}  // namespace vorel::fuzz
