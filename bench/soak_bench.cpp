// Leak and growth check, run by hand: one process with the real window (offscreen) and
// the real search service does, per round, 20 searches, 5 plays (播放 then 停止) and 2
// downloads (下载, each after a play of its own), for ten rounds or as many as the first
// argument says, and prints the resident set size after the first round and after each
// later one. Run it in an ASan build to have LeakSanitizer report at exit, e.g.
//   LSAN_OPTIONS=suppressions=tests/lsan.supp build-asan/bench/soak_bench
// Exit status 0 when every search listed rows, every play played and every download
// saved a file.
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_events.h"
#include "app/track_selection.h"
#include "platform/window/message_loop.h"
#include "support/catalog_server.h"
#include "support/wait_until.h"
#include "text/events.h"
#include "text/utf8_literal.h"

#if defined(__SANITIZE_ADDRESS__)
// GLib and GStreamer are built without frame pointers: only the slow unwinder shows the
// stacks through them that tests/lsan.supp matches (library-internal leaks).
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
#endif

namespace {

namespace fs = std::filesystem;

constexpr int kDefaultRounds = 10;  // a number as the first argument sets another count
constexpr int kSearchesPerRound = 20;
constexpr int kPlaysPerRound = 5;
constexpr int kDownloadsPerRound = 2;
const char* const kKeywords[] = {"百花香", "春风", "长夜"};

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

struct Soak {
  vorel::AppState state;
  vorel::MainWindow window;
  int failures = 0;

  void Fail(const char* what, int round, int i) {
    ++failures;
    std::fprintf(stderr, "round %d: %s %d failed\n", round, what, i);
  }

  bool Search(const char* keywordUtf8) {
    window.编辑框1.SetText(vorel::FromUtf8(keywordUtf8));
    window.按钮1.Click();
    return window.音乐_列表框.RowCount() > 0;
  }

  bool PlayAndStop(const char* keywordUtf8) {
    if (!Search(keywordUtf8)) return false;
    window.音乐_列表框.SelectRow(0);
    vorel::OnTrackDoubleClicked(state, window);
    window.品质_组合框.SetSelection(0);
    window.播放_按钮.Click();
    const bool playing = state.player.GetMode() == 1;
    vorel::test::WaitUntil([] { return false; }, std::chrono::milliseconds(100));  // let it sound
    window.停止_按钮.Click();
    return playing;
  }

  bool Download(const char* keywordUtf8) {
    if (!PlayAndStop(keywordUtf8)) return false;
    window.下载_按钮.Click();
    const fs::path saved = fs::path(std::string(keywordUtf8) + ".mp3");
    std::error_code error;
    const bool ok = fs::file_size(saved, error) > 0 && !error;
    fs::remove(saved, error);
    return ok;
  }

  void Round(int round) {
    for (int i = 0; i < kSearchesPerRound; ++i) {
      if (!Search(kKeywords[i % 3])) Fail("search", round, i);
    }
    for (int i = 0; i < kPlaysPerRound; ++i) {
      if (!PlayAndStop(kKeywords[i % 3])) Fail("play", round, i);
    }
    for (int i = 0; i < kDownloadsPerRound; ++i) {
      if (!Download(kKeywords[i % 2])) Fail("download", round, i);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const fs::path folder = fs::temp_directory_path() / ("vorel-soak-" + std::to_string(::getpid()));
  fs::create_directories(folder / "runtime");
  fs::permissions(folder / "runtime", fs::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", (folder / "runtime").c_str(), 1);
  const int rounds = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : kDefaultRounds;
  int status = 0;
  {
    QApplication app(argc, argv);
    vorel::test::CatalogServer server;
    if (!server.running()) {
      std::fprintf(stderr, "the search service did not start\n");
      return 2;
    }
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    vorel::SetProcessEventsHook([] { vorel::platform::ProcessPendingEvents(); });
    vorel::SetProcessNonInputEventsHook([] { vorel::platform::ProcessPendingNonInputEvents(); });
    {
      Soak soak;
      soak.state.searchHost = server.host();
      vorel::ConnectMainWindowEvents(soak.state, soak.window);

      const auto start = std::chrono::steady_clock::now();
      const long before = ResidentKilobytes();
      soak.Round(1);
      const long afterFirst = ResidentKilobytes();
      std::printf("RSS before: %ld kB\nRSS after round 1: %ld kB\n", before, afterFirst);
      for (int round = 2; round <= rounds; ++round) {
        soak.Round(round);
        std::printf("RSS after round %d: %ld kB\n", round, ResidentKilobytes());
        std::fflush(stdout);
      }
      const long atEnd = ResidentKilobytes();
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::printf("%d searches, %d plays, %d downloads in %.1f s; failures: %d\n", rounds * kSearchesPerRound,
                  rounds * (kPlaysPerRound + kDownloadsPerRound),  // each download plays first
                  rounds * kDownloadsPerRound, seconds, soak.failures);
      std::printf("RSS growth from round 1 to the end: %+ld kB\n", atEnd - afterFirst);
      status = soak.failures == 0 ? 0 : 1;
    }
    vorel::SetProcessEventsHook(nullptr);
    vorel::SetProcessNonInputEventsHook(nullptr);
    fs::current_path(previous);
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return status;
}
