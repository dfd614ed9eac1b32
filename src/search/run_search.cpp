#include "search/run_search.h"

#include "http/win_http_fetch.h"
#include "search/list_search_results.h"
#include "search/search_url.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

void ResetQualityBox(platform::ComboBox& quality) {
  quality.Clear();
  quality.AddItem(FromUtf8("标准"), 0);
  quality.SetSelection(0);
}

}  // namespace

void RunSearch(SearchState& state, SearchControls& controls) {
  const unsigned thisSearch = ++state.latestSearch;
  controls.results.DeleteAllRows();
  const int site = controls.site.GetSelection();
  const Text keyword = controls.keyword.GetText();
  const int page = state.currentEntry.pageIndex;
  if (page != 0) {
    state.searchUrl = SearchUrl(state.searchHost, keyword, site, page);
    controls.previousPage.SetEnabled(true);
  } else {
    controls.previousPage.SetEnabled(false);
    state.searchUrl = SearchUrl(state.searchHost, keyword, site, page);
  }
  const Text text = WinHttpFetch(state.searchUrl);
  // A search started while this one waited has emptied the list and listed its own
  // rows; this page is out of date.
  if (thisSearch != state.latestSearch) return;
  ListSearchResults(text, state.currentEntry, controls.results);
}

void SearchClicked(SearchState& state, SearchControls& controls) {
  state.currentEntry.pageIndex = 0;
  RunSearch(state, controls);
}

void PreviousPageClicked(SearchState& state, SearchControls& controls) {
  state.currentEntry.pageIndex -= 1;
  ResetQualityBox(controls.quality);
  RunSearch(state, controls);
}

void NextPageClicked(SearchState& state, SearchControls& controls) {
  ResetQualityBox(controls.quality);
  state.currentEntry.pageIndex += 1;
  RunSearch(state, controls);
}

}  // namespace vorel
