// Downloading a 100 MB file from the local catalog service (HTTPS, /media/), against the
// curl command-line tool fetching the same file into the same folder in the same run.
//   DownloadClick             a click on 下载 in the real window (offscreen), as the program
//                             connects it: HttpReadFile streaming into an AtomicFile, then
//                             the flush to disk and the rename (DownloadTrack)
//   ReadFileToAtomicFileCommit the same through HttpReadFile and AtomicFile without the
//                             window (no window events run while it waits)
//   ReadFileToAtomicFileNoSync the same transfer and writes, the temporary file dropped
//                             instead of committed: no flush to disk, as curl does none
//   CurlTool                  `curl -s -o FILE --cacert CA URL` as a subprocess, start-up
//                             included
//   CurlToolTransferOnly      the same runs, timed by curl itself (%{time_total})
//   CurlToolThenFlush         curl as in CurlTool, then its file flushed to disk (fsync):
//                             the same durability as 下载's commit
// Memory: for each of our downloads the process's peak resident size is reset
// (/proc/self/clear_refs) and read back afterwards (VmHWM); the growth over the resident
// size before the download is reported (goal: under 32 MB). After the run the throughput
// ratios to curl are printed (goal: at least 0.9), from each benchmark's median over
// its repetitions, which run interleaved.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_events.h"
#include "app/window_created.h"
#include "platform/files/atomic_file.h"
#include "platform/http/http_read_file.h"
#include "platform/window/message_loop.h"
#include "support/catalog_server.h"
#include "support/curl_tool.h"
#include "support/running_program.h"
#include "support/temp_dir.h"
#include "text/events.h"

extern char** environ;

namespace {

using vorel::test::TempDir;

namespace fs = std::filesystem;

constexpr std::uint64_t kFileBytes = 100ull * 1024 * 1024;
constexpr int kRuns = 3;         // downloads per repetition
constexpr int kRepetitions = 5;  // repetitions of every benchmark, run interleaved

// The settings every download benchmark shares.
void DownloadRuns(benchmark::internal::Benchmark* run) {
  run->Unit(benchmark::kMillisecond)->Iterations(kRuns)->Repetitions(kRepetitions);
}

// 100 MB of pseudo-random bytes (nothing on the way compresses them).
bool WriteBigFile(const fs::path& file) {
  std::ofstream out(file, std::ios::binary);
  std::vector<std::uint64_t> block(1 << 17);
  std::uint64_t x = 0x9E3779B97F4A7C15ull;
  for (std::uint64_t written = 0; written < kFileBytes; written += block.size() * 8) {
    for (auto& word : block) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      word = x;
    }
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
  }
  return static_cast<bool>(out);
}

// The music folder with the big file, the service over it and a folder to download into.
struct Setup {
  TempDir music{"vorel-bench-media"};
  TempDir downloads{"vorel-bench-downloads"};
  std::unique_ptr<vorel::test::CatalogServer> server;
  std::string url;
  bool ok = false;

  Setup() {
    if (music.path().empty() || downloads.path().empty()) return;
    if (!WriteBigFile(fs::path(music.path()) / "Bench - Download.mp3")) return;
    server = std::make_unique<vorel::test::CatalogServer>(music.path());
    if (!server->running()) return;
    url = server->baseUrl() + "/media/Bench%20-%20Download.mp3";
    ok = true;
  }
};
std::unique_ptr<Setup> setup;

long StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
  }
  return -1;
}

// Resets the peak resident size to the current one; false when the kernel refuses.
bool ResetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

bool HasWholeFile(const fs::path& file) {
  std::error_code error;
  return fs::file_size(file, error) == kFileBytes && !error;
}

void RemoveFile(const fs::path& file) {
  std::error_code ignored;
  fs::remove(file, ignored);
}

// Everything the program sets up before its message loop, as main() does it.
using Program = vorel::test::RunningProgram;

void DownloadClick(benchmark::State& state) {
  if (!setup || !setup->ok) {
    state.SkipWithError("the local catalog service or its file is missing");
    return;
  }
  // 下载 saves into the current directory, the program's folder.
  const fs::path previous = fs::current_path();
  fs::current_path(setup->downloads.path());
  const fs::path saved = fs::path(setup->downloads.path()) / "bench-download.mp3";
  long peakGrowth = 0;
  bool peakKnown = true;
  {
    Program program;
    program.window.编辑框1.SetText("bench-download");
    program.state.mediaUrl = setup->url;
    program.window.下载_按钮.Click();  // warm-up: connection set-up, plug-ins, caches
    RemoveFile(saved);
    for (auto _ : state) {
      state.PauseTiming();
      peakKnown = ResetPeakResident() && peakKnown;
      const long before = StatusKilobytes("VmRSS");
      state.ResumeTiming();
      program.window.下载_按钮.Click();
      state.PauseTiming();
      peakGrowth = std::max(peakGrowth, StatusKilobytes("VmHWM") - before);
      if (!HasWholeFile(saved)) {
        state.SkipWithError("the download did not save the whole file");
        break;
      }
      RemoveFile(saved);
      state.ResumeTiming();
    }
  }
  fs::current_path(previous);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
  if (peakKnown) state.counters["peak_growth_kB"] = static_cast<double>(peakGrowth);
}
BENCHMARK(DownloadClick)->Apply(DownloadRuns)->UseRealTime();

// HttpReadFile into an AtomicFile without the window; `commit`: flushed to disk and
// renamed as 下载 does, else dropped (no flush, as curl does none).
void ReadFileToAtomicFile(benchmark::State& state, bool commit) {
  if (!setup || !setup->ok) {
    state.SkipWithError("the local catalog service or its file is missing");
    return;
  }
  const fs::path saved = fs::path(setup->downloads.path()) / "direct-download.mp3";
  long peakGrowth = 0;
  bool peakKnown = true;
  for (auto _ : state) {
    state.PauseTiming();
    peakKnown = ResetPeakResident() && peakKnown;
    const long before = StatusKilobytes("VmRSS");
    state.ResumeTiming();
    vorel::platform::AtomicFile file(setup->downloads.path());
    const auto result = vorel::platform::HttpReadFile(
        setup->url, [&file](std::string_view piece) { return file.Write(piece.data(), piece.size()); });
    bool whole = false;
    if (commit) {
      whole = result.complete && file.Commit(saved.filename().string());
      state.PauseTiming();
      whole = whole && HasWholeFile(saved);
      RemoveFile(saved);
    } else {
      state.PauseTiming();
      whole = result.complete && HasWholeFile(file.temporaryPath());
      file.Discard();
    }
    peakGrowth = std::max(peakGrowth, StatusKilobytes("VmHWM") - before);
    state.ResumeTiming();
    if (!whole || result.bytes != kFileBytes) {
      state.SkipWithError("the transfer did not write the whole file");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
  if (peakKnown) state.counters["peak_growth_kB"] = static_cast<double>(peakGrowth);
}

void ReadFileToAtomicFileCommit(benchmark::State& state) { ReadFileToAtomicFile(state, true); }
void ReadFileToAtomicFileNoSync(benchmark::State& state) { ReadFileToAtomicFile(state, false); }
BENCHMARK(ReadFileToAtomicFileCommit)->Apply(DownloadRuns)->UseRealTime();
BENCHMARK(ReadFileToAtomicFileNoSync)->Apply(DownloadRuns)->UseRealTime();

// Runs curl into `file` and returns its own time_total in seconds (negative on failure).
double RunCurl(const std::string& url, const std::string& file) {
  return vorel::test::CurlToolSeconds({"-o", file, "--cacert", setup->server->caFile(), url});
}

// Flushes a file's bytes to the disk, as AtomicFile::Commit does before its rename.
bool FlushToDisk(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = ::fsync(fd) == 0;
  ::close(fd);
  return flushed;
}

enum class CurlTiming { Wall, TransferOnly, WallThenFlush };

void CurlRuns(benchmark::State& state, CurlTiming timing) {
  if (!setup || !setup->ok) {
    state.SkipWithError("the local catalog service or its file is missing");
    return;
  }
  const fs::path saved = fs::path(setup->downloads.path()) / "curl-download.mp3";
  for (auto _ : state) {
    const double seconds = RunCurl(setup->url, saved.string());
    const bool flushed = timing != CurlTiming::WallThenFlush || FlushToDisk(saved);
    state.PauseTiming();
    const bool whole = seconds >= 0 && flushed && HasWholeFile(saved);
    RemoveFile(saved);
    state.ResumeTiming();
    if (!whole) {
      state.SkipWithError("curl did not save the whole file");
      break;
    }
    if (timing == CurlTiming::TransferOnly) state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

void CurlTool(benchmark::State& state) { CurlRuns(state, CurlTiming::Wall); }
void CurlToolTransferOnly(benchmark::State& state) { CurlRuns(state, CurlTiming::TransferOnly); }
void CurlToolThenFlush(benchmark::State& state) { CurlRuns(state, CurlTiming::WallThenFlush); }
BENCHMARK(CurlTool)->Apply(DownloadRuns)->UseRealTime();
BENCHMARK(CurlToolThenFlush)->Apply(DownloadRuns)->UseRealTime();
BENCHMARK(CurlToolTransferOnly)->Apply(DownloadRuns)->UseManualTime();

// Keeps each benchmark's median wall time per download over its repetitions and the
// largest peak growth of any repetition, for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  SummaryReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        times[name] = run.GetAdjustedRealTime();
      } else if (run.run_type == Run::RT_Iteration) {
        const auto peak = run.counters.find("peak_growth_kB");
        if (peak != run.counters.end()) peaks[name] = std::max(peaks[name], peak->second.value);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
  std::map<std::string, double> peaks;
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TempDir runtime("vorel-bench-runtime");
  if (!runtime.path().empty()) setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  // Repetitions run interleaved, so that a busy spell of the machine does not fall on
  // one side of the comparison only (a flag on the command line still wins).
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int argCount = static_cast<int>(args.size());
  benchmark::Initialize(&argCount, args.data());
  QApplication app(argc, argv);
  setup = std::make_unique<Setup>();
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& t = reporter.times;
  const double mb = static_cast<double>(kFileBytes) / (1024.0 * 1024.0);
  for (const auto& [name, ms] : t) std::printf("%-28s %8.1f MB/s\n", name.c_str(), mb / (ms / 1000.0));
  // Ours against curl: the whole of 下载 against curl alone and against curl followed by
  // the same flush to disk; the transfer and writes alone against curl alone.
  const std::pair<const char*, const char*> pairs[] = {
      {"DownloadClick", "CurlTool"},
      {"DownloadClick", "CurlToolTransferOnly"},
      {"DownloadClick", "CurlToolThenFlush"},
      {"ReadFileToAtomicFileCommit", "CurlToolThenFlush"},
      {"ReadFileToAtomicFileNoSync", "CurlTool"},
      {"ReadFileToAtomicFileNoSync", "CurlToolTransferOnly"},
  };
  for (const auto& [ours, curl] : pairs) {
    if (t.count(ours) && t.count(curl))
      std::printf("throughput %s / %s: %.2f (goal: at least 0.9)\n", ours, curl, t.at(curl) / t.at(ours));
  }
  for (const auto& [name, peak] : reporter.peaks)
    std::printf("peak memory growth during %s: %.0f kB = %.2f MB (goal: under 32 MB)\n", name.c_str(), peak,
                peak / 1024.0);
  benchmark::Shutdown();
  setup.reset();
  return 0;
}
