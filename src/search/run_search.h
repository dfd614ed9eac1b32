// The search buttons and the search they start.
//
// RunSearch empties the result list, builds `searchUrl` from the keyword, the chosen site
// and `pageIndex`, disables 上一页 on the first page (enables it on any other), fetches
// the page and lists its rows. While the page is on its way, window events run; a search
// started meanwhile is the latest, and an older search that returns after it drops its
// page, so the list holds exactly the rows of the latest search.
// 搜索 asks for the first page; 上一页 and 下一页 move one page and reduce the quality
// box to the single item "标准".
#pragma once

#include "platform/window/button.h"
#include "platform/window/combo_box.h"
#include "platform/window/edit_box.h"
#include "platform/window/list_view.h"
#include "search/search_state.h"

namespace vorel {

struct SearchControls {
  platform::EditBox& keyword;      // 编辑框1
  platform::ComboBox& site;        // 网站_组合框
  platform::ListView& results;     // 音乐_列表框
  platform::Button& previousPage;  // 上一页_按钮
  platform::ComboBox& quality;     // 品质_组合框
};

void RunSearch(SearchState& state, SearchControls& controls);

void SearchClicked(SearchState& state, SearchControls& controls);        // 搜索
void PreviousPageClicked(SearchState& state, SearchControls& controls);  // 上一页
void NextPageClicked(SearchState& state, SearchControls& controls);      // 下一页

}  // namespace vorel
