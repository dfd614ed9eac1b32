#include "platform/dialogs/message_box.h"

#include <QMessageBox>

#include "platform/codepage/code_page_936.h"

namespace vorel::platform {
namespace {

QString ToQString(std::string_view cp936) {
  const std::u16string units = Cp936ToUtf16(cp936);
  QString text = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

}  // namespace

void ShowErrorBox(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, ToQString(title), ToQString(text), QMessageBox::Ok);
  box.exec();
}

}  // namespace vorel::platform
