// The media service: time from open + play to the mode "playing" for a 5.4 MB MP3
// served by the local catalog over HTTPS (goal: under 300 ms), beside the same file
// opened from the disk; and the resident memory across 50 open/play/close cycles
// (goal: no growth beyond noise).
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "platform/mci/mci_send_string.h"
#include "support/catalog_server.h"

namespace {

using vorel::platform::MciSendString;

// 白云乐队 - 长夜.mp3: 135 s at a constant 320 kbit/s.
constexpr char kLongSongPath[] = "%E7%99%BD%E4%BA%91%E4%B9%90%E9%98%9F%20-%20%E9%95%BF%E5%A4%9C.mp3";
constexpr char kLongSongFile[] = "白云乐队 - 长夜.mp3";

std::unique_ptr<vorel::test::CatalogServer> catalog;

std::string Status(const std::string& command) {
  char reply[128] = {};
  return MciSendString(command, reply, sizeof reply) == 0 ? reply : "";
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// One cycle: open, play, wait for "playing", close. False when a command failed.
bool OpenPlayUntilPlaying(const std::string& location, benchmark::State* timed) {
  const std::string open = "open \"" + location + "\" type MPEGVideo alias bench";
  bool ok = MciSendString(open, nullptr, 0) == 0 && MciSendString("play bench from 0", nullptr, 0) == 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ok && Status("status bench mode") != "playing") ok = std::chrono::steady_clock::now() < deadline;
  if (timed) timed->PauseTiming();
  MciSendString("close bench", nullptr, 0);
  if (timed) timed->ResumeTiming();
  return ok;
}

void BM_OpenPlayOverHttps(benchmark::State& state) {
  if (!catalog || !catalog->running()) {
    state.SkipWithError("the local catalog service did not start");
    return;
  }
  const std::string url = catalog->baseUrl() + "/media/" + kLongSongPath;
  for (auto _ : state) {
    if (!OpenPlayUntilPlaying(url, &state)) {
      state.SkipWithError("open or play failed");
      return;
    }
  }
}
BENCHMARK(BM_OpenPlayOverHttps)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_OpenPlayFromDisk(benchmark::State& state) {
  const std::string file = vorel::test::SampleMusicDir() + "/" + kLongSongFile;
  for (auto _ : state) {
    if (!OpenPlayUntilPlaying(file, &state)) {
      state.SkipWithError("open or play failed");
      return;
    }
  }
}
BENCHMARK(BM_OpenPlayFromDisk)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ResidentMemoryOver50Cycles(benchmark::State& state) {
  if (!catalog || !catalog->running()) {
    state.SkipWithError("the local catalog service did not start");
    return;
  }
  const std::string url = catalog->baseUrl() + "/media/" + kLongSongPath;
  long before = 0;
  long after = 0;
  for (auto _ : state) {
    for (int i = 0; i < 5; ++i) OpenPlayUntilPlaying(url, nullptr);  // warm-up: plug-ins, TLS, caches
    before = ResidentKilobytes();
    for (int i = 0; i < 50; ++i) {
      if (!OpenPlayUntilPlaying(url, nullptr)) {
        state.SkipWithError("open or play failed");
        return;
      }
    }
    after = ResidentKilobytes();
  }
  state.counters["rss_before_kB"] = static_cast<double>(before);
  state.counters["rss_after_kB"] = static_cast<double>(after);
  state.counters["growth_kB"] = static_cast<double>(after - before);
  state.counters["growth_per_cycle_kB"] = static_cast<double>(after - before) / 50.0;
}
BENCHMARK(BM_ResidentMemoryOver50Cycles)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  catalog = std::make_unique<vorel::test::CatalogServer>();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  catalog.reset();
  return 0;
}
