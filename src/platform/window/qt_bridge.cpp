#include "platform/window/qt_bridge.h"

#include <algorithm>

#include "platform/codepage/code_page_936.h"

namespace vorel::platform {

QString ToQString(std::string_view cp936) {
  // Bytes below 0x80 are ASCII in code page 936: such a text (links, numbers) needs no
  // conversion.
  if (std::all_of(cp936.begin(), cp936.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return QString::fromLatin1(cp936.data(), static_cast<qsizetype>(cp936.size()));
  const std::u16string units = Cp936ToUtf16(cp936);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

std::string FromQString(const QString& text) {
  return Utf16ToCp936(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<std::size_t>(text.size())));
}

}  // namespace vorel::platform
