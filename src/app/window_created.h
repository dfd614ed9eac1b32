// The main window's creation handler: runs once, after the window and its controls exist
// and before the first user input. Selects the first site (酷我) and the first quality
// (标准) and sets the page index to 0.
#pragma once

#include "app/app_state.h"
#include "app/main_window.h"

namespace vorel {

void OnWindowCreated(AppState& state, MainWindow& window);

}  // namespace vorel
