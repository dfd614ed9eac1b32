#include "app/track_selection.h"

#include "text/utf8_literal.h"

namespace vorel {

void OnTrackDoubleClicked(AppState& state, MainWindow& window) {
  const int row = window.音乐_列表框.SelectedRow();
  if (row != -1) {
    state.selectedStandardUrl = window.音乐_列表框.CellText(row, 2);
    state.selectedHighUrl = window.音乐_列表框.CellText(row, 3);
    state.selectedLosslessUrl = window.音乐_列表框.CellText(row, 4);
  }
  platform::ComboBox& quality = window.品质_组合框;
  quality.Clear();
  if (!state.selectedStandardUrl.empty()) quality.AddItem(FromUtf8("标准"), 0);
  if (!state.selectedHighUrl.empty()) quality.AddItem(FromUtf8("高品"), 1);
  if (!state.selectedLosslessUrl.empty()) quality.AddItem(FromUtf8("无损"), 2);
  quality.SetSelection(0);
}

}  // namespace vorel
