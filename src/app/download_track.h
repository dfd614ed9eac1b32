// 下载: saves the media address that 播放 resolved under the keyword followed by ".mp3"
// in the current directory (the program's folder).
#pragma once

#include "app/app_state.h"
#include "app/main_window.h"

namespace vorel {

void DownloadTrack(AppState& state, MainWindow& window);

}  // namespace vorel
