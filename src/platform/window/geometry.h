// Placement of a control inside its window's client area, in pixels.
#pragma once

namespace vorel::platform {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

}  // namespace vorel::platform
