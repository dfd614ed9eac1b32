// Double-click on the result list: the selected row becomes the track to play and the
// quality box offers the qualities that it has.
#pragma once

#include "app/app_state.h"
#include "app/main_window.h"

namespace vorel {

void OnTrackDoubleClicked(AppState& state, MainWindow& window);

}  // namespace vorel
