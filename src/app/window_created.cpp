#include "app/window_created.h"

namespace vorel {

void OnWindowCreated(AppState& state, MainWindow& window) {
  window.网站_组合框.SetSelection(0);
  window.品质_组合框.SetSelection(0);
  state.currentEntry.pageIndex = 0;
  state.player.SetParentWindow(static_cast<int>(window.NativeHandle()));
}

}  // namespace vorel
