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
    // Columns 0 to 4, the whole row in one insertion.
    list.AppendRow({currentEntry.songName, currentEntry.singer, currentEntry.standardUrl,
                    currentEntry.highUrl, currentEntry.losslessUrl});
  }
}

}  // namespace vorel
