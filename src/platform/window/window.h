// The top-level window: a fixed dialog frame with a title bar, system menu, minimize and
// close buttons and no maximize button. Its client area has a fixed size; the user cannot
// resize it. Closing it ends the message loop (RunMessageLoop). Controls are created
// inside it and live as long as it does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class QWidget;

namespace vorel::platform {

class Window {
 public:
  // Title in code page 936; (x, y) is the outer frame's top-left corner on the screen.
  Window(const std::string& title, int x, int y, int clientWidth, int clientHeight);
  ~Window();
  Window(Window&&) noexcept;
  Window& operator=(Window&&) noexcept;

  std::string Title() const;
  void Show();
  void Close();
  // The native window handle (an X11 window id under xcb); created on first use.
  std::uintptr_t NativeHandle() const;
  // Base font of the window and its controls, in pixels.
  void SetFontPixelSize(int pixels);

  QWidget* Widget() const { return widget_.get(); }

 private:
  std::unique_ptr<QWidget> widget_;
};

}  // namespace vorel::platform
