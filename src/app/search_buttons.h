// Click handlers of the three search buttons: 搜索 (按钮1) searches from the first page,
// 上一页 and 下一页 move one result page back or forward.
#pragma once

#include "app/app_state.h"
#include "app/main_window.h"

namespace vorel {

void OnSearchClicked(AppState& state, MainWindow& window);
void OnPreviousPageClicked(AppState& state, MainWindow& window);
void OnNextPageClicked(AppState& state, MainWindow& window);

}  // namespace vorel
