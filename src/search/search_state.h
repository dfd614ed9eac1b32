// The part of the application's state that searching reads and writes.
//
// SongEntry holds the row being listed (a working copy; the list keeps the rows) and
// the zero-based number of the result page that the next search asks for.
// SearchState adds the URL of the last search, the search service's host, and the
// number of the latest search, so that an older search that returns late is dropped.
#pragma once

#include "text/text_types.h"

namespace vorel {

struct SongEntry {
  Text songName;
  Text singer;
  Text standardUrl;
  Text highUrl;
  Text losslessUrl;
  int pageIndex = 0;
};

struct SearchState {
  SongEntry currentEntry;
  Text searchUrl;
  Text searchHost;            // host[:port] of the search service
  unsigned latestSearch = 0;  // counts searches started; the latest one wins
};

}  // namespace vorel
