// The state that the window's event handlers share, created at start-up and released
// at shutdown; nothing is kept between runs. Besides the search's part (SearchState):
// the links of the row double-clicked last, the media address that 播放 resolved and
// 下载 saves, and the play-time counters of the clock.
#pragma once

#include "media/mci_player.h"
#include "search/search_state.h"
#include "text/text_types.h"

namespace vorel {

struct AppState : SearchState {
  Text selectedStandardUrl;
  Text selectedHighUrl;
  Text selectedLosslessUrl;
  Text mediaUrl;
  int elapsedSeconds = 0;
  int elapsedMinutes = 0;
  int totalSeconds = 0;
  MciPlayer player;
};

}  // namespace vorel
