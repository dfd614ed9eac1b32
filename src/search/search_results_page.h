// Turns the search service's result page into the rows it lists.
//
// Each song of the page is a name cell ("singer - song") followed by a quality cell
// holding one link element per quality (standard, high, lossless). Pieces are taken
// byte for byte as the page has them: nothing is trimmed or decoded.
// A name text without " - " lists as the song name with an empty singer; a name cell
// with no quality cell of its own lists with empty links.
#pragma once

#include <vector>

#include "search/search_state.h"
#include "text/text_types.h"

namespace vorel {

// The rows of `page` in page order; `pageIndex` of each row is 0.
std::vector<SongEntry> ParseSearchResults(const Text& page);

}  // namespace vorel
