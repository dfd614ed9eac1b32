// A push button: a click event and an enabled state. Texts are code page 936.
// A disabled button delivers no clicks.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/window/geometry.h"

class QPushButton;

namespace vorel::platform {

class Window;

class Button {
 public:
  Button(Window& parent, Rect where, const std::string& text);

  // The handler runs on every click; setting another one replaces it.
  void OnClick(std::function<void()> handler);
  void SetEnabled(bool enabled);
  bool IsEnabled() const;
  std::string GetText() const;
  // Clicks the button as the user would (nothing happens while it is disabled).
  void Click();

  QPushButton* Widget() const { return button_; }

 private:
  QPushButton* button_;  // owned by the parent window
  std::shared_ptr<std::function<void()>> onClick_;
};

}  // namespace vorel::platform
