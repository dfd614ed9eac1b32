#include "app/download_track.h"

#include "app/download_file_name.h"
#include "platform/files/atomic_file.h"
#include "platform/http/http_read_file.h"
#include "text/events.h"

namespace vorel {

void DownloadTrack(AppState& state, MainWindow& window) {
  if (state.mediaUrl.empty()) return;
  // The body streams into a temporary file beside the target; only a complete 2xx
  // answer replaces the file, so a failure leaves any earlier download as it was.
  platform::AtomicFile file(".");
  if (!file.ok()) return;
  const platform::ReadFileResult result = platform::HttpReadFile(
      state.mediaUrl, [&file](std::string_view piece) { return file.Write(piece.data(), piece.size()); },
      [] { ProcessNonInputEvents(); });
  if (!result.complete || result.bytes == 0) return;
  file.Commit(DownloadFileName(window.编辑框1.GetText()));
}

}  // namespace vorel
