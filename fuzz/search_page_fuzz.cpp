// Fuzzes ParseSearchResults on arbitrary pages and on pages assembled from fuzzed pieces
// around the result page's real markers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz_support.h"
#include "search/search_results_page.h"
#include "text/capture_all_between.h"
#include "text/text_primitives.h"

namespace {

using vorel::Text;

const char* const kMarkers[] = {
    "<td width=70% class=\"song-name\">",
    "</td><td class=\"song-bitrate\">",
    "<td class=\"song-bitrate\">",
    "</a></td></tr><tr>",
    "<a href=\"",
    "\" class=\"",
    " - ",
    "\r\n",
};

// A page made of fuzzed pieces, each followed by one of the markers chosen by the input.
Text AssemblePage(FuzzedDataProvider& provider) {
  Text page;
  while (provider.remaining_bytes() > 0) {
    page += vorel::fuzz::WithoutZeros(provider.ConsumeRandomLengthString(16));
    page += kMarkers[provider.ConsumeIntegralInRange<std::size_t>(0, std::size(kMarkers) - 1)];
  }
  return page;
}

void CheckRows(const Text& page) {
  const std::vector<vorel::SongEntry> rows = vorel::ParseSearchResults(page);
  const Text names = vorel::CaptureAllBetween(page, kMarkers[0], kMarkers[1]);
  FUZZ_CHECK(static_cast<int>(rows.size()) == vorel::SplitText(names, "\r\n").Count());
  for (const vorel::SongEntry& row : rows) {
    FUZZ_CHECK(row.pageIndex == 0);
    for (const Text* link : {&row.standardUrl, &row.highUrl, &row.losslessUrl}) {
      FUZZ_CHECK(link->find("\" class=\"") == Text::npos);
    }
    // Name texts come from the joined name captures: a cell that ends in a lead byte
    // swallows the line break after it, so they are pieces of the joined text.
    FUZZ_CHECK(vorel::fuzz::IsSubstring(names, row.songName));
    FUZZ_CHECK(vorel::fuzz::IsSubstring(names, row.singer));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  if (provider.ConsumeBool()) {
    CheckRows(AssemblePage(provider));
  } else {
    CheckRows(vorel::fuzz::WithoutZeros(provider.ConsumeRemainingBytesAsString()));
  }
  return 0;
}
