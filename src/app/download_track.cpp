#include "app/download_track.h"

namespace vorel {

// Not written yet: a click does nothing so far.
void DownloadTrack(AppState& /*state*/, MainWindow& /*window*/) {}

}  // namespace vorel
