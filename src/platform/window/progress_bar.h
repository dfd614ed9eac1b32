// A progress bar with an integer position and maximum (minimum 0, maximum 100 at first).
//
// Every value written is limited to 0 .. 32767 (below becomes 0, above 32767). The
// position stays as written even when it lies above the maximum: reading gives back
// exactly the value kept, while the bar is drawn clamped to its range.
#pragma once

#include "platform/window/geometry.h"

class QProgressBar;

namespace vorel::platform {

class Window;

class ProgressBar {
 public:
  static constexpr int kLargestValue = 32767;

  ProgressBar(Window& parent, Rect where);

  void SetPosition(int position);
  int GetPosition() const;
  void SetMaximum(int maximum);
  int GetMaximum() const;

  QProgressBar* Widget() const { return bar_; }

 private:
  void Draw();

  QProgressBar* bar_;  // owned by the parent window
  int position_ = 0;
  int maximum_ = 100;
};

}  // namespace vorel::platform
