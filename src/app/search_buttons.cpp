#include "app/search_buttons.h"

namespace vorel {

// Not connected to the search yet: these do nothing until the search module joins.
void OnSearchClicked(AppState& /*state*/, MainWindow& /*window*/) {}

void OnPreviousPageClicked(AppState& /*state*/, MainWindow& /*window*/) {}

void OnNextPageClicked(AppState& /*state*/, MainWindow& /*window*/) {}

}  // namespace vorel
