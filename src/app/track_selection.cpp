#include "app/track_selection.h"

namespace vorel {

// Not written yet: a double-click changes nothing so far.
void OnTrackDoubleClicked(AppState& /*state*/, MainWindow& /*window*/) {}

}  // namespace vorel
