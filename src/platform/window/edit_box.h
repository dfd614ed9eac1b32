// A single-line edit box with a sunken border and no length limit. Texts are code page 936.
#pragma once

#include <string>

#include "platform/window/geometry.h"

class QLineEdit;

namespace vorel::platform {

class Window;

class EditBox {
 public:
  EditBox(Window& parent, Rect where, const std::string& text);

  std::string GetText() const;  // a fresh copy of the current text
  void SetText(const std::string& text);

  QLineEdit* Widget() const { return edit_; }

 private:
  QLineEdit* edit_;  // owned by the parent window
};

}  // namespace vorel::platform
