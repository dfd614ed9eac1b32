// Searching, timed on the real window (offscreen):
//   SearchClickToLastRow   a click on 搜索 (按钮1, connected as the program connects it)
//                          until its handler returns with the 50 rows of the first page
//                          listed; the page comes from the local search service over
//                          HTTPS, fed a generated music folder of 60 songs with 3
//                          qualities each and a page size of 50 (goal: under 50 ms)
//   ListSearchResults2000  listing a synthetic 2,000-row result page into 音乐_列表框,
//                          the list emptied (untimed) before each run (goal: under 20 ms)
//   SearchFetchOnly        the page fetch of that search alone (WinHttpFetch), to tell
//                          the service's and the network's share from the listing's
//   ParseSearchResults2000 cutting the same page into its rows, without the list
//                          (goal: under 20 ms)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_events.h"
#include "app/window_created.h"
#include "http/win_http_fetch.h"
#include "platform/window/message_loop.h"
#include "search/list_search_results.h"
#include "search/search_results_page.h"
#include "support/catalog_server.h"
#include "support/running_program.h"
#include "support/temp_dir.h"
#include "text/events.h"
#include "text/utf8_literal.h"

namespace {

using vorel::test::TempDir;

namespace fs = std::filesystem;

constexpr int kFolderSongs = 60;
constexpr int kPageSize = 50;
constexpr int kSyntheticRows = 2000;

// "歌手N - 花之歌 NN" in the three qualities; every song's name holds the keyword "花".
void WriteMusicFolder(const std::string& folder) {
  for (int i = 1; i <= kFolderSongs; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d", i);
    const std::string stem = "歌手" + std::to_string(i % 7) + " - 花之歌 " + number;
    for (const char* suffix : {".mp3", ".hq.mp3", ".flac"}) {
      std::ofstream(fs::path(folder) / (stem + suffix), std::ios::binary) << "ID3 placeholder";
    }
  }
}

// Everything the program sets up before its message loop, as main() does it.
using Program = vorel::test::RunningProgram;

// The generated music folder and the service over it, shared by the benchmarks that
// search; made by main() and stopped before the program ends.
struct SearchService {
  TempDir music{"vorel-bench-music"};
  std::unique_ptr<vorel::test::CatalogServer> server;
  SearchService() {
    WriteMusicFolder(music.path());
    server = std::make_unique<vorel::test::CatalogServer>(music.path(), kPageSize);
  }
};
std::unique_ptr<SearchService> service;

void SearchClickToLastRow(benchmark::State& state) {
  if (!service || !service->server->running()) {
    state.SkipWithError("the local search service did not start");
    return;
  }
  Program program(service->server->host());
  program.window.编辑框1.SetText(vorel::FromUtf8("花"));
  auto& list = program.window.音乐_列表框;
  for (int warm = 0; warm < 3; ++warm) program.window.按钮1.Click();  // plug-ins, caches

  for (auto _ : state) {
    program.window.按钮1.Click();
    state.PauseTiming();
    const bool full = list.RowCount() == kPageSize && !list.CellText(kPageSize - 1, 4).empty();
    vorel::platform::ProcessPendingEvents();  // back in the loop: layout and paint
    state.ResumeTiming();
    if (!full) {
      state.SkipWithError("the click did not list a full page");
      return;
    }
  }
  state.counters["rows"] = list.RowCount();
}
BENCHMARK(SearchClickToLastRow)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// The fetch alone, as RunSearch makes it: the share of the network and the service.
void SearchFetchOnly(benchmark::State& state) {
  if (!service || !service->server->running()) {
    state.SkipWithError("the local search service did not start");
    return;
  }
  const std::string url = service->server->baseUrl() + "/?kw=%E8%8A%B1&lx=kuwo";
  for (auto _ : state) {
    const vorel::Text page = vorel::WinHttpFetch(url);
    if (page.empty()) {
      state.SkipWithError("the fetch failed");
      return;
    }
  }
}
BENCHMARK(SearchFetchOnly)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// A result page of `rows` songs in the service's format, in code page 936.
vorel::Text SyntheticPage(int rows) {
  vorel::Text page = vorel::FromUtf8(
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>Vorel 曲库 - 花</title></head>\n"
      "<body>\n<h1>搜索：花</h1>\n<table class=\"song-list\">\n<tr><th>歌曲</th><th>品质</th></tr>");
  const vorel::Text singer = vorel::FromUtf8("歌手");
  const vorel::Text song = vorel::FromUtf8("花之歌 ");
  const vorel::Text labels[3] = {vorel::FromUtf8("标准"), vorel::FromUtf8("高品"), vorel::FromUtf8("无损")};
  const char* words[3] = {"standard", "high", "lossless"};
  for (int i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    page += "<tr><td width=70% class=\"song-name\">" + singer + std::to_string(i % 7) + " - " + song + n +
            "</td><td class=\"song-bitrate\">";
    for (int q = 0; q < 3; ++q) {
      page += "<a href=\"https://localhost:8443/song/" + n + "/" + words[q] + "\" class=\"" + words[q] +
              "\">" + labels[q] + "</a>";
    }
    page += "</td></tr>";
  }
  page += vorel::FromUtf8("<tr><td colspan=2 class=\"page-info\">共 2000 首，第 1 页 / 共 1 页</td></tr>\n") +
          "</table>\n</body></html>\n";
  return page;
}

void ListSearchResults2000(benchmark::State& state) {
  const vorel::Text page = SyntheticPage(kSyntheticRows);
  Program program("localhost:1");
  auto& list = program.window.音乐_列表框;
  vorel::SongEntry entry;
  for (auto _ : state) {
    state.PauseTiming();
    list.DeleteAllRows();  // as RunSearch does first
    vorel::platform::ProcessPendingEvents();
    state.ResumeTiming();
    vorel::ListSearchResults(page, entry, list);
  }
  if (list.RowCount() != kSyntheticRows || list.CellText(kSyntheticRows - 1, 4).empty())
    state.SkipWithError("the page did not list whole");
  state.counters["rows"] = list.RowCount();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(ListSearchResults2000)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void ParseSearchResults2000(benchmark::State& state) {
  const vorel::Text page = SyntheticPage(kSyntheticRows);
  std::size_t rows = 0;
  for (auto _ : state) {
    const auto parsed = vorel::ParseSearchResults(page);
    rows = parsed.size();
    benchmark::DoNotOptimize(parsed.data());
  }
  if (rows != kSyntheticRows) state.SkipWithError("the page did not parse whole");
  state.counters["rows"] = static_cast<double>(rows);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(ParseSearchResults2000)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TempDir runtime("vorel-bench-runtime");
  if (!runtime.path().empty()) setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  benchmark::Initialize(&argc, argv);
  QApplication app(argc, argv);
  service = std::make_unique<SearchService>();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  service.reset();
  return 0;
}
