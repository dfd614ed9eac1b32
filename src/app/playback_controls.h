// Playback: the 播放, 暂停 and 停止 buttons and the once-a-second tick of 时钟1, which
// moves the progress bar and writes the elapsed and total time.
#pragma once

#include "app/app_state.h"
#include "app/main_window.h"

namespace vorel {

void OnPlayClicked(AppState& state, MainWindow& window);
void OnPauseClicked(AppState& state, MainWindow& window);
void OnStopClicked(AppState& state, MainWindow& window);
void OnClockTick(AppState& state, MainWindow& window);

}  // namespace vorel
