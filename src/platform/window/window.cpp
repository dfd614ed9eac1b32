#include "platform/window/window.h"

#include <QWidget>

#include "platform/window/qt_bridge.h"

namespace vorel::platform {

Window::Window(const std::string& title, int x, int y, int clientWidth, int clientHeight)
    : widget_(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                                     Qt::WindowCloseButtonHint)) {
  widget_->setWindowTitle(ToQString(title));
  widget_->setFixedSize(clientWidth, clientHeight);
  widget_->move(x, y);  // for a top-level widget this places the frame
}

Window::~Window() = default;
Window::Window(Window&&) noexcept = default;
Window& Window::operator=(Window&&) noexcept = default;

std::string Window::Title() const { return FromQString(widget_->windowTitle()); }

void Window::Show() { widget_->show(); }

void Window::Close() { widget_->close(); }

std::uintptr_t Window::NativeHandle() const { return static_cast<std::uintptr_t>(widget_->winId()); }

void Window::SetFontPixelSize(int pixels) {
  QFont font = widget_->font();
  font.setPixelSize(pixels);
  widget_->setFont(font);
}

}  // namespace vorel::platform
