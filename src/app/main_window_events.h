// Connects every event of the main window's controls to its handler, in one place.
// The state and the window must outlive the connections (the window's life).
#pragma once

#include "app/app_state.h"
#include "app/main_window.h"

namespace vorel {

void ConnectMainWindowEvents(AppState& state, MainWindow& window);

}  // namespace vorel
