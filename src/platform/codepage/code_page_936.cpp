#include "platform/codepage/code_page_936.h"

#include <cerrno>
#include <cstdint>

#include "platform/codepage/iconv_converter.h"

namespace vorel::platform {
namespace {

constexpr char16_t kUnknown = u'?';
constexpr char16_t kReplacement = 0xFFFD;

// Windows maps the three user-defined areas of the code page onto private-use
// characters; glibc's table leaves them out.
char16_t UserDefinedToUnicode(unsigned lead, unsigned trail) {
  if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1 && trail <= 0xFE)
    return static_cast<char16_t>(0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1));
  if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE)
    return static_cast<char16_t>(0xE234 + (lead - 0xF8) * 94 + (trail - 0xA1));
  if (lead >= 0xA1 && lead <= 0xA7 && trail >= 0x40 && trail <= 0xA0 && trail != 0x7F)
    return static_cast<char16_t>(0xE4C6 + (lead - 0xA1) * 96 + (trail - 0x40) - (trail > 0x7F ? 1 : 0));
  return 0;
}

// The two bytes for a private-use character of the user-defined areas, or false.
bool UnicodeToUserDefined(char16_t unit, std::string& out) {
  unsigned lead = 0, trail = 0;
  if (unit >= 0xE000 && unit < 0xE234) {
    lead = 0xAA + (unit - 0xE000) / 94;
    trail = 0xA1 + (unit - 0xE000) % 94;
  } else if (unit >= 0xE234 && unit < 0xE4C6) {
    lead = 0xF8 + (unit - 0xE234) / 94;
    trail = 0xA1 + (unit - 0xE234) % 94;
  } else if (unit >= 0xE4C6 && unit <= 0xE765) {
    lead = 0xA1 + (unit - 0xE4C6) / 96;
    trail = 0x40 + (unit - 0xE4C6) % 96;
    if (trail >= 0x7F) ++trail;
  } else if (unit == 0xF8F5) {
    out.push_back(static_cast<char>(0xFF));
    return true;
  } else {
    return false;
  }
  out.push_back(static_cast<char>(lead));
  out.push_back(static_cast<char>(trail));
  return true;
}

bool IsTrailByte(unsigned b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

struct Composition {
  char16_t base, mark, result;
};

// Precomposed letters that the code page holds (its pinyin row).
constexpr Composition kCompositions[] = {
    {u'a', 0x0304, 0x0101},   {u'a', 0x0301, 0x00E1},   {u'a', 0x030C, 0x01CE},   {u'a', 0x0300, 0x00E0},
    {u'e', 0x0304, 0x0113},   {u'e', 0x0301, 0x00E9},   {u'e', 0x030C, 0x011B},   {u'e', 0x0300, 0x00E8},
    {u'e', 0x0302, 0x00EA},   {u'i', 0x0304, 0x012B},   {u'i', 0x0301, 0x00ED},   {u'i', 0x030C, 0x01D0},
    {u'i', 0x0300, 0x00EC},   {u'o', 0x0304, 0x014D},   {u'o', 0x0301, 0x00F3},   {u'o', 0x030C, 0x01D2},
    {u'o', 0x0300, 0x00F2},   {u'u', 0x0304, 0x016B},   {u'u', 0x0301, 0x00FA},   {u'u', 0x030C, 0x01D4},
    {u'u', 0x0300, 0x00F9},   {u'u', 0x0308, 0x00FC},   {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x0301, 0x01D8},
    {0x00FC, 0x030C, 0x01DA}, {0x00FC, 0x0300, 0x01DC}, {u'n', 0x0301, 0x0144},   {u'n', 0x030C, 0x0148},
    {u'n', 0x0300, 0x01F9},
};

char16_t Compose(char16_t base, char16_t mark) {
  for (const auto& c : kCompositions)
    if (c.base == base && c.mark == mark) return c.result;
  return 0;
}

bool IsCombiningMark(char16_t u) { return u >= 0x0300 && u <= 0x036F; }

std::u16string ComposeForCodePage(std::u16string_view in) {
  std::u16string out;
  out.reserve(in.size());
  for (char16_t u : in) {
    if (IsCombiningMark(u) && !out.empty()) {
      if (char16_t composed = Compose(out.back(), u)) {
        out.back() = composed;
        continue;
      }
    }
    out.push_back(u);
  }
  return out;
}

void AppendUtf16Le(std::u16string& out, const char* bytes, size_t n) {
  for (size_t i = 0; i + 1 < n; i += 2)
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string Cp936ToUtf16(std::string_view bytes) {
  thread_local const IconvConverter converter("UTF-16LE", "CP936");
  std::u16string out;
  out.reserve(bytes.size());
  if (!converter.valid()) {
    for (unsigned char b : bytes) out.push_back(b < 0x80 ? b : kUnknown);
    return out;
  }
  converter.reset();
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buffer[8192];
  while (inLeft > 0) {
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    const size_t r = iconv(converter.get(), &in, &inLeft, &o, &oLeft);
    const int error = errno;
    AppendUtf16Le(out, buffer, static_cast<size_t>(o - buffer));
    if (r != static_cast<size_t>(-1) || error == E2BIG) continue;
    const auto lead = static_cast<unsigned char>(in[0]);
    size_t used = 1;
    char16_t unit = kUnknown;
    if (lead == 0xFF) {
      unit = 0xF8F5;
    } else if (lead >= 0x81 && lead <= 0xFE && inLeft >= 2 &&
               IsTrailByte(static_cast<unsigned char>(in[1]))) {
      used = 2;
      if (char16_t u = UserDefinedToUnicode(lead, static_cast<unsigned char>(in[1]))) unit = u;
    }
    out.push_back(unit);
    in += used;
    inLeft -= used;
    converter.reset();
  }
  return out;
}

std::string Utf16ToCp936(std::u16string_view units) {
  thread_local const IconvConverter converter("CP936", "UTF-16LE");
  const std::u16string composed = ComposeForCodePage(units);
  std::string le;
  le.reserve(composed.size() * 2);
  for (char16_t u : composed) {
    le.push_back(static_cast<char>(u & 0xFF));
    le.push_back(static_cast<char>(u >> 8));
  }
  std::string out;
  out.reserve(composed.size() * 2);
  if (!converter.valid()) {
    for (char16_t u : composed) out.push_back(u < 0x80 ? static_cast<char>(u) : '?');
    return out;
  }
  converter.reset();
  char* in = le.data();
  size_t inLeft = le.size();
  char buffer[8192];
  while (inLeft > 0) {
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    const size_t r = iconv(converter.get(), &in, &inLeft, &o, &oLeft);
    const int error = errno;
    out.append(buffer, static_cast<size_t>(o - buffer));
    if (r != static_cast<size_t>(-1) || error == E2BIG) continue;
    if (inLeft < 2) break;
    const auto unit =
        static_cast<char16_t>(static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8));
    size_t used = 2;
    if (!UnicodeToUserDefined(unit, out)) {
      out.push_back('?');
      if (IsHighSurrogate(unit) && inLeft >= 4) {
        const auto next = static_cast<char16_t>(static_cast<unsigned char>(in[2]) |
                                                (static_cast<unsigned char>(in[3]) << 8));
        if (IsLowSurrogate(next)) used = 4;
      }
    }
    in += used;
    inLeft -= used;
    converter.reset();
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  const size_t n = bytes.size();
  auto cont = [&](size_t k) { return k < n && (static_cast<unsigned char>(bytes[k]) & 0xC0) == 0x80; };
  while (i < n) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    char32_t cp = kReplacement;
    size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else if (b >= 0xC2 && b <= 0xDF && cont(i + 1)) {
      cp = ((b & 0x1Fu) << 6) | (bytes[i + 1] & 0x3F);
      len = 2;
    } else if (b >= 0xE0 && b <= 0xEF && cont(i + 1) && cont(i + 2)) {
      cp = ((b & 0x0Fu) << 12) | ((bytes[i + 1] & 0x3Fu) << 6) | (bytes[i + 2] & 0x3F);
      len = 3;
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    } else if (b >= 0xF0 && b <= 0xF4 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      cp = ((b & 0x07u) << 18) | ((bytes[i + 1] & 0x3Fu) << 12) | ((bytes[i + 2] & 0x3Fu) << 6) |
           (bytes[i + 3] & 0x3F);
      len = 4;
      if (cp < 0x10000 || cp > 0x10FFFF) cp = kReplacement;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size() * 3);
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t cp = units[i];
    if (IsHighSurrogate(units[i]) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(units[i]) || IsLowSurrogate(units[i])) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string Cp936ToUtf8(std::string_view bytes) { return Utf16ToUtf8(Cp936ToUtf16(bytes)); }

std::string Utf8ToCp936(std::string_view bytes) { return Utf16ToCp936(Utf8ToUtf16(bytes)); }

}  // namespace vorel::platform
