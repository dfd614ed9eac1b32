#include "app/playback_controls.h"

#include "app/clock_text.h"
#include "http/resolve_redirect.h"

namespace vorel {
namespace {

constexpr int kTickMilliseconds = 1000;

// The link that position `quality` of the quality box names, or null.
const Text* LinkOfQuality(const AppState& state, int quality) {
  switch (quality) {
    case 0:
      return &state.selectedStandardUrl;
    case 1:
      return &state.selectedHighUrl;
    case 2:
      return &state.selectedLosslessUrl;
    default:
      return nullptr;
  }
}

}  // namespace

void OnPlayClicked(AppState& state, MainWindow& window) {
  if (window.音乐_列表框.SelectedRow() != -1) {
    if (const Text* link = LinkOfQuality(state, window.品质_组合框.GetSelection()))
      state.mediaUrl = ResolveRedirect(*link);
  }
  if (state.player.Pause()) {
    state.player.Resume();
    window.时钟1.SetPeriod(kTickMilliseconds);
    return;
  }
  if (!state.player.Open(state.mediaUrl)) return;
  window.进度条1.SetPosition(0);
  state.elapsedSeconds = 0;
  state.elapsedMinutes = 0;
  window.时钟1.SetPeriod(kTickMilliseconds);
  state.player.Play();
  state.totalSeconds = state.player.GetLengthSeconds();
  window.进度条1.SetMaximum(state.totalSeconds);
}

void OnPauseClicked(AppState& state, MainWindow& window) {
  state.player.Pause();
  window.时钟1.SetPeriod(0);
}

void OnStopClicked(AppState& state, MainWindow& window) {
  state.player.Stop();
  window.进度条1.SetPosition(0);
  state.elapsedSeconds = 0;
  state.elapsedMinutes = 0;
  window.时钟1.SetPeriod(0);
}

void OnClockTick(AppState& state, MainWindow& window) {
  state.elapsedSeconds += 1;
  if (state.elapsedSeconds >= 60) {
    state.elapsedSeconds = 0;
    state.elapsedMinutes += 1;
  }
  const Text elapsed = ElapsedText(state.elapsedMinutes, state.elapsedSeconds);
  window.进度条1.SetPosition(window.进度条1.GetPosition() + 1);
  window.透明标签1.SetText(elapsed + TotalText(state.totalSeconds));
  if (window.进度条1.GetPosition() == window.进度条1.GetMaximum()) {
    window.时钟1.SetPeriod(0);
    state.elapsedMinutes = 0;
  }
}

}  // namespace vorel
