#include "app/main_window.h"

#include <string>

#include "app/main_window_layout.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

platform::Rect Where(const ControlRow& row) { return {row.x, row.y, row.width, row.height}; }

platform::EditBox MakeEditBox(platform::Window& window, const ControlRow& row) {
  return platform::EditBox(window, Where(row), FromUtf8(row.content));
}

platform::Label MakeLabel(platform::Window& window, const ControlRow& row) {
  platform::Label label(window, Where(row), FromUtf8(row.content));
  label.SetTransparent(row.kind == ControlKind::TransparentLabel);
  if (row.fontPixels > 0) label.SetFontPixelSize(row.fontPixels);
  return label;
}

platform::ComboBox MakeComboBox(platform::Window& window, const ControlRow& row) {
  platform::ComboBox box(window, Where(row), row.dropDownHeight);
  std::string_view items = row.content;
  for (int data = 0; !items.empty(); ++data) {
    const std::size_t bar = items.find('|');
    box.AddItem(FromUtf8(items.substr(0, bar)), data);
    items = bar == std::string_view::npos ? std::string_view() : items.substr(bar + 1);
  }
  return box;
}

platform::Button MakeButton(platform::Window& window, const ControlRow& row) {
  platform::Button button(window, Where(row), FromUtf8(row.content));
  button.SetEnabled(row.startsEnabled);
  return button;
}

platform::ListView MakeListView(platform::Window& window, const ControlRow& row) {
  platform::ListView list(window, Where(row));
  for (const ColumnRow& column : kMusicListColumns) list.AddColumn(FromUtf8(column.header), column.width);
  return list;
}

platform::ProgressBar MakeProgressBar(platform::Window& window, const ControlRow& row) {
  return platform::ProgressBar(window, Where(row));
}

platform::Window MakeWindow() {
  platform::Window window(FromUtf8(kWindowTitle), kWindowX, kWindowY, kClientWidth, kClientHeight);
  window.SetFontPixelSize(kFontPixels);
  return window;
}

}  // namespace

MainWindow::MainWindow()
    : window(MakeWindow()),
      编辑框1(MakeEditBox(window, FindControl("编辑框1", ControlKind::EditBox))),
      标签1(MakeLabel(window, FindControl("标签1", ControlKind::Label))),
      网站_组合框(MakeComboBox(window, FindControl("网站_组合框", ControlKind::ComboBox))),
      按钮1(MakeButton(window, FindControl("按钮1", ControlKind::Button))),
      音乐_列表框(MakeListView(window, FindControl("音乐_列表框", ControlKind::ListView))),
      上一页_按钮(MakeButton(window, FindControl("上一页_按钮", ControlKind::Button))),
      下一页_按钮(MakeButton(window, FindControl("下一页_按钮", ControlKind::Button))),
      进度条1(MakeProgressBar(window, FindControl("进度条1", ControlKind::ProgressBar))),
      透明标签1(MakeLabel(window, FindControl("透明标签1", ControlKind::Label))),
      播放_按钮(MakeButton(window, FindControl("播放_按钮", ControlKind::Button))),
      暂停_按钮(MakeButton(window, FindControl("暂停_按钮", ControlKind::Button))),
      停止_按钮(MakeButton(window, FindControl("停止_按钮", ControlKind::Button))),
      标签2(MakeLabel(window, FindControl("标签2", ControlKind::Label))),
      品质_组合框(MakeComboBox(window, FindControl("品质_组合框", ControlKind::ComboBox))),
      下载_按钮(MakeButton(window, FindControl("下载_按钮", ControlKind::Button))),
      标签3(MakeLabel(window, FindControl("标签3", ControlKind::Label))),
      时钟1() {
  static_cast<void>(FindControl("时钟1", ControlKind::Timer));  // stopped: period 0
}

void MainWindow::Show() { window.Show(); }

std::uintptr_t MainWindow::NativeHandle() const { return window.NativeHandle(); }

}  // namespace vorel
