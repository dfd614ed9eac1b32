// CaptureAllBetween over a result page of about 1 MB (2,000 songs), against a plain
// memmem scan for the same markers in the same run. Both report bytes per second.
#include <benchmark/benchmark.h>
#include <string.h>  // memmem

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "text/capture_all_between.h"
#include "text/utf8_literal.h"

namespace {

using vorel::Text;

constexpr int kRows = 2000;

const Text kNameLeft = "<td width=70% class=\"song-name\">";
const Text kNameRight = "</td><td class=\"song-bitrate\">";
const Text kCellLeft = "<td class=\"song-bitrate\">";
const Text kCellRight = "</a></td></tr><tr>";

// A page in the service's format: a name cell and a quality cell with three links per
// song, padded with the markup around the table that a real page carries.
const Text& ResultPage() {
  static const Text page = [] {
    const Text standard = vorel::FromUtf8("标准");
    const Text high = vorel::FromUtf8("高品");
    const Text lossless = vorel::FromUtf8("无损");
    const Text singer = vorel::FromUtf8("周杰伦");
    const Text song = vorel::FromUtf8("晴天");
    const Text filler(260, ' ');
    Text result = "<html><body><table class=\"songs\"><tr>";
    for (int i = 0; i < kRows; ++i) {
      const std::string id = std::to_string(i);
      result += kNameLeft + singer + id + " - " + song + id + kNameRight;
      result += "<a href=\"https://music.example/play/" + id + "/128\" class=\"q\">" + standard + "</a>";
      result += "<a href=\"https://music.example/play/" + id + "/320\" class=\"q\">" + high + "</a>";
      result += "<a href=\"https://music.example/play/" + id + "/flac\" class=\"q\">" + lossless + kCellRight;
      result += "\r\n" + filler + "\r\n";
    }
    result += "</table></body></html>";
    return result;
  }();
  return page;
}

void Capture(benchmark::State& state, const Text& left, const Text& right) {
  const Text& page = ResultPage();
  std::size_t pieces = 0;
  for (auto _ : state) {
    const Text result = vorel::CaptureAllBetween(page, left, right);
    benchmark::DoNotOptimize(result.data());
    pieces = result.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
  state.counters["page_bytes"] = static_cast<double>(page.size());
  state.counters["result_bytes"] = static_cast<double>(pieces);
}

// The reference: the same left-then-right marker walk with memmem, counting pieces
// without copying them.
void MemmemScan(benchmark::State& state, const Text& left, const Text& right) {
  const Text& page = ResultPage();
  std::size_t found = 0;
  for (auto _ : state) {
    found = 0;
    const char* pos = page.data();
    const char* end = page.data() + page.size();
    for (;;) {
      const auto* l = static_cast<const char*>(memmem(pos, end - pos, left.data(), left.size()));
      if (!l) break;
      const char* start = l + left.size();
      const auto* r = static_cast<const char*>(memmem(start, end - start, right.data(), right.size()));
      if (!r) break;
      ++found;
      pos = r + right.size();
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
  state.counters["pieces"] = static_cast<double>(found);
}

void BM_CaptureNameCells(benchmark::State& state) { Capture(state, kNameLeft, kNameRight); }
void BM_MemmemNameCells(benchmark::State& state) { MemmemScan(state, kNameLeft, kNameRight); }
void BM_CaptureLinkCells(benchmark::State& state) { Capture(state, kCellLeft, kCellRight); }
void BM_MemmemLinkCells(benchmark::State& state) { MemmemScan(state, kCellLeft, kCellRight); }

BENCHMARK(BM_CaptureNameCells);
BENCHMARK(BM_MemmemNameCells);
BENCHMARK(BM_CaptureLinkCells);
BENCHMARK(BM_MemmemLinkCells);

// The console report, then each capture's throughput as a share of the memmem scan's.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const auto rate = run.counters.find("bytes_per_second");
      if (rate != run.counters.end()) bytesPerSecond_[run.run_name.function_name] = rate->second.value;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const char* cells : {"NameCells", "LinkCells"}) {
      const double capture = bytesPerSecond_[std::string("BM_Capture") + cells];
      const double scan = bytesPerSecond_[std::string("BM_Memmem") + cells];
      if (capture > 0 && scan > 0)
        std::printf("%s: CaptureAllBetween %.0f MB/s, memmem scan %.0f MB/s, ratio %.2f\n", cells,
                    capture / 1e6, scan / 1e6, capture / scan);
    }
  }

 private:
  std::map<std::string, double> bytesPerSecond_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
