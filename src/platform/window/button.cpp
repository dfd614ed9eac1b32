#include "platform/window/button.h"

#include <QPushButton>

#include "platform/window/qt_bridge.h"
#include "platform/window/window.h"

namespace vorel::platform {

Button::Button(Window& parent, Rect where, const std::string& text)
    : button_(MakeOwnedByParent<QPushButton>(ToQString(text), parent.Widget())),
      onClick_(std::make_shared<std::function<void()>>()) {
  button_->setGeometry(where.x, where.y, where.width, where.height);
  button_->setAutoDefault(false);
  QObject::connect(button_, &QPushButton::clicked, button_, [handler = onClick_] {
    if (*handler) (*handler)();
  });
}

void Button::OnClick(std::function<void()> handler) { *onClick_ = std::move(handler); }

void Button::SetEnabled(bool enabled) { button_->setEnabled(enabled); }

bool Button::IsEnabled() const { return button_->isEnabled(); }

std::string Button::GetText() const { return FromQString(button_->text()); }

void Button::Click() { button_->click(); }

}  // namespace vorel::platform
