#include "search/search_results_page.h"

#include "text/capture_all_between.h"
#include "text/text_primitives.h"

namespace vorel {
namespace {

const Text kNameLeft = "<td width=70% class=\"song-name\">";
const Text kNameRight = "</td><td class=\"song-bitrate\">";
const Text kCellLeft = "<td class=\"song-bitrate\">";
const Text kCellRight = "</a></td></tr><tr>";
const Text kLinkLeft = "<a href=\"";
const Text kLinkRight = "\" class=\"";
const Text kLineBreak = "\r\n";
const Text kSingerSeparator = " - ";

void FillNames(const Text& nameText, SongEntry& row) {
  const TextArray parts = SplitText(nameText, kSingerSeparator);
  if (FindText(nameText, kSingerSeparator) == -1) {
    row.songName = nameText;
    row.singer.clear();
    return;
  }
  row.singer = ArrayCount(parts) >= 1 ? parts[1] : Text();
  row.songName = ArrayCount(parts) >= 2 ? parts[2] : Text();
}

void FillLinks(const Text& cell, SongEntry& row) {
  const TextArray links = SplitText(CaptureAllBetween(cell, kLinkLeft, kLinkRight), kLineBreak);
  const int count = ArrayCount(links);
  row.standardUrl = count >= 1 ? links[1] : Text();
  row.highUrl = count >= 2 ? links[2] : Text();
  row.losslessUrl = count >= 3 ? links[3] : Text();
}

}  // namespace

std::vector<SongEntry> ParseSearchResults(const Text& page) {
  const TextArray nameLines = SplitText(CaptureAllBetween(page, kNameLeft, kNameRight), kLineBreak);
  const TextArray cellLines = SplitText(CaptureAllBetween(page, kCellLeft, kCellRight), kLineBreak);
  std::vector<SongEntry> rows;
  rows.reserve(static_cast<size_t>(ArrayCount(nameLines)));
  for (int k = 1; k <= ArrayCount(nameLines); ++k) {
    SongEntry row;
    FillNames(nameLines[k], row);
    FillLinks(k <= ArrayCount(cellLines) ? cellLines[k] : Text(), row);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace vorel
