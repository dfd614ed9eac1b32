#include "app/search_buttons.h"

#include "search/run_search.h"

namespace vorel {
namespace {

SearchControls ControlsOf(MainWindow& window) {
  return {window.编辑框1, window.网站_组合框, window.音乐_列表框, window.上一页_按钮, window.品质_组合框};
}

}  // namespace

void OnSearchClicked(AppState& state, MainWindow& window) {
  SearchControls controls = ControlsOf(window);
  SearchClicked(state, controls);
}

void OnPreviousPageClicked(AppState& state, MainWindow& window) {
  SearchControls controls = ControlsOf(window);
  PreviousPageClicked(state, controls);
}

void OnNextPageClicked(AppState& state, MainWindow& window) {
  SearchControls controls = ControlsOf(window);
  NextPageClicked(state, controls);
}

}  // namespace vorel
