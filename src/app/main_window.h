// The program's one window, "Vorel", and its controls, built from kMainWindowControls
// (main_window_layout.h). Members carry the controls' names; handlers reach them
// through the window layer's control types. The window is not shown until Show().
#pragma once

#include <cstdint>

#include "platform/window/button.h"
#include "platform/window/combo_box.h"
#include "platform/window/edit_box.h"
#include "platform/window/label.h"
#include "platform/window/list_view.h"
#include "platform/window/progress_bar.h"
#include "platform/window/timer.h"
#include "platform/window/window.h"

namespace vorel {

class MainWindow {
 public:
  MainWindow();

  void Show();
  std::uintptr_t NativeHandle() const;

  platform::Window window;
  platform::EditBox 编辑框1;
  platform::Label 标签1;
  platform::ComboBox 网站_组合框;
  platform::Button 按钮1;
  platform::ListView 音乐_列表框;
  platform::Button 上一页_按钮;
  platform::Button 下一页_按钮;
  platform::ProgressBar 进度条1;
  platform::Label 透明标签1;
  platform::Button 播放_按钮;
  platform::Button 暂停_按钮;
  platform::Button 停止_按钮;
  platform::Label 标签2;
  platform::ComboBox 品质_组合框;
  platform::Button 下载_按钮;
  platform::Label 标签3;
  platform::Timer 时钟1;
};

}  // namespace vorel
