#include "platform/window/qt_bridge.h"

#include "platform/codepage/code_page_936.h"

namespace vorel::platform {

QString ToQString(std::string_view cp936) {
  const std::u16string units = Cp936ToUtf16(cp936);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

std::string FromQString(const QString& text) {
  return Utf16ToCp936(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<std::size_t>(text.size())));
}

}  // namespace vorel::platform
