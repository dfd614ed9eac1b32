#include "app/playback_controls.h"

namespace vorel {

// Not written yet: these do nothing until the media layer joins.
void OnPlayClicked(AppState& /*state*/, MainWindow& /*window*/) {}

void OnPauseClicked(AppState& /*state*/, MainWindow& /*window*/) {}

void OnStopClicked(AppState& /*state*/, MainWindow& /*window*/) {}

void OnClockTick(AppState& /*state*/, MainWindow& /*window*/) {}

}  // namespace vorel
