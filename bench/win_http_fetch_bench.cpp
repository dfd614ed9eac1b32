// WinHttpFetch of a 1 MB page from a local server, against the curl command-line tool
// fetching the same page in the same run. Three figures, all wall-clock per fetch:
//   WinHttpFetch          the routine, in process (fresh client and connection each time)
//   CurlTool              `curl -s -o /dev/null URL` run as a subprocess, start-up included
//   CurlToolTransferOnly  the same runs, timed by curl itself (%{time_total}): no start-up
// After the run the ratios of WinHttpFetch to both curl figures are printed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "http/win_http_fetch.h"
#include "support/curl_tool.h"
#include "support/local_http_server.h"

extern char** environ;

namespace {

constexpr std::size_t kPageBytes = 1024 * 1024;

vorel::test::LocalHttpServer& Server() {
  static vorel::test::LocalHttpServer server;
  static const bool ready = [] {
    std::string page = "<html><head><title>page</title></head><body>\n";
    while (page.size() < kPageBytes - 20) page += "<p>line of the result page, padded to a megabyte</p>\n";
    page.resize(kPageBytes - 14, ' ');
    page += "</body></html>";
    server.Handle("/page", [page](const vorel::test::ReceivedRequest&) {
      vorel::test::Reply reply;
      reply.headerLines = {"Content-Type: text/html"};
      reply.body = page;
      return reply;
    });
    return true;
  }();
  (void)ready;
  return server;
}

void WinHttpFetch(benchmark::State& state) {
  const std::string url = Server().url("/page");
  for (auto _ : state) {
    const vorel::Text text = vorel::WinHttpFetch(url);
    if (text.size() != kPageBytes) state.SkipWithError("short page");
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
}

// Runs curl and returns its own time_total in seconds (negative on failure).
double RunCurl(const std::string& url) { return vorel::test::CurlToolSeconds({"-o", "/dev/null", url}); }

void CurlTool(benchmark::State& state) {
  const std::string url = Server().url("/page");
  for (auto _ : state) {
    if (RunCurl(url) < 0) state.SkipWithError("curl failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
}

void CurlToolTransferOnly(benchmark::State& state) {
  const std::string url = Server().url("/page");
  for (auto _ : state) {
    const double seconds = RunCurl(url);
    if (seconds < 0) state.SkipWithError("curl failed");
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
}

BENCHMARK(WinHttpFetch)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(CurlTool)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(CurlToolTransferOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps each benchmark's wall time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.run_type == Run::RT_Iteration) times[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& t = reporter.times;
  if (t.count("WinHttpFetch") && t.count("CurlTool") && t.count("CurlToolTransferOnly")) {
    std::printf("WinHttpFetch / curl tool (with start-up): %.2f\n", t.at("WinHttpFetch") / t.at("CurlTool"));
    std::printf("WinHttpFetch / curl tool (transfer only): %.2f (goal: at most 1.2)\n",
                t.at("WinHttpFetch") / t.at("CurlToolTransferOnly"));
  }
  benchmark::Shutdown();
  return 0;
}
