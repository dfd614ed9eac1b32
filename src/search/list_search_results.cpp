#include "search/list_search_results.h"

#include "search/search_results_page.h"

namespace vorel {

void ListSearchResults(const Text& page, SongEntry& currentEntry, platform::ListView& list) {
  for (SongEntry& row : ParseSearchResults(page)) {
    currentEntry.songName = std::move(row.songName);
    currentEntry.singer = std::move(row.singer);
    currentEntry.standardUrl = std::move(row.standardUrl);
    currentEntry.highUrl = std::move(row.highUrl);
    currentEntry.losslessUrl = std::move(row.losslessUrl);
    const int index = list.AppendRow();
    list.SetCellText(index, 0, currentEntry.songName);
    list.SetCellText(index, 1, currentEntry.singer);
    list.SetCellText(index, 2, currentEntry.standardUrl);
    list.SetCellText(index, 3, currentEntry.highUrl);
    list.SetCellText(index, 4, currentEntry.losslessUrl);
  }
}

}  // namespace vorel
