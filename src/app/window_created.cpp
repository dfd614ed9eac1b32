#include "app/window_created.h"

namespace vorel {

void OnWindowCreated(AppState& state, MainWindow& window) {
  window.网站_组合框.SetSelection(0);
  window.品质_组合框.SetSelection(0);
  state.currentEntry.pageIndex = 0;
  // The player takes the window's native handle (window.NativeHandle()) as the parent of
  // video output once the media layer joins.
}

}  // namespace vorel
