#include "platform/window/label.h"

#include <QLabel>

#include "platform/window/qt_bridge.h"
#include "platform/window/window.h"

namespace vorel::platform {

Label::Label(Window& parent, Rect where, const std::string& text)
    : label_(MakeOwnedByParent<QLabel>(ToQString(text), parent.Widget())) {
  label_->setGeometry(where.x, where.y, where.width, where.height);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label_->setTextFormat(Qt::PlainText);
  SetTransparent(false);
}

void Label::SetText(const std::string& text) {
  label_->setText(ToQString(text));
  if (label_->isVisible()) label_->repaint();
}

std::string Label::GetText() const { return FromQString(label_->text()); }

void Label::SetTransparent(bool transparent) {
  label_->setAutoFillBackground(!transparent);
  label_->setAttribute(Qt::WA_NoSystemBackground, transparent);
}

bool Label::IsTransparent() const { return !label_->autoFillBackground(); }

void Label::SetFontPixelSize(int pixels) {
  QFont font = label_->font();
  font.setPixelSize(pixels);
  label_->setFont(font);
}

}  // namespace vorel::platform
