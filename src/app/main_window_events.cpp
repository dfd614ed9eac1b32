#include "app/main_window_events.h"

#include "app/download_track.h"
#include "app/playback_controls.h"
#include "app/search_buttons.h"
#include "app/track_selection.h"

namespace vorel {

void ConnectMainWindowEvents(AppState& state, MainWindow& window) {
  const auto route = [&state, &window](void (*handler)(AppState&, MainWindow&)) {
    return [&state, &window, handler] { handler(state, window); };
  };
  window.按钮1.OnClick(route(OnSearchClicked));
  window.上一页_按钮.OnClick(route(OnPreviousPageClicked));
  window.下一页_按钮.OnClick(route(OnNextPageClicked));
  window.音乐_列表框.OnDoubleClick(route(OnTrackDoubleClicked));
  window.播放_按钮.OnClick(route(OnPlayClicked));
  window.暂停_按钮.OnClick(route(OnPauseClicked));
  window.停止_按钮.OnClick(route(OnStopClicked));
  window.时钟1.OnTick(route(OnClockTick));
  window.下载_按钮.OnClick(route(DownloadTrack));
}

}  // namespace vorel
