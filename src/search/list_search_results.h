// Lists the songs of a result page: one row per song at the end of the list, with the
// song name and the singer visible and the three quality links in the hidden columns
// 2 to 4. The last row listed stays in `currentEntry`.
#pragma once

#include "platform/window/list_view.h"
#include "search/search_state.h"

namespace vorel {

void ListSearchResults(const Text& page, SongEntry& currentEntry, platform::ListView& list);

}  // namespace vorel
