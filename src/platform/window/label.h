// A static text label. A transparent label draws no background of its own, so the
// window shows through around its text. Texts are code page 936.
#pragma once

#include <string>

#include "platform/window/geometry.h"

class QLabel;

namespace vorel::platform {

class Window;

class Label {
 public:
  Label(Window& parent, Rect where, const std::string& text);

  // Shown at once: the label repaints before this returns when it is visible.
  void SetText(const std::string& text);
  std::string GetText() const;
  void SetTransparent(bool transparent);
  bool IsTransparent() const;
  void SetFontPixelSize(int pixels);

  QLabel* Widget() const { return label_; }

 private:
  QLabel* label_;  // owned by the parent window
};

}  // namespace vorel::platform
