// The main window's layout: one row per control (name, kind, position and size in the
// client area, initial content) and the columns of the result list. Contents are UTF-8
// here; the window turns them into code page 936. A combo box's items are separated
// by "|" and carry their position as item data.
#pragma once

#include <string_view>

namespace vorel {

enum class ControlKind { EditBox, Label, TransparentLabel, ComboBox, Button, ListView, ProgressBar, Timer };

struct ControlRow {
  std::string_view name;
  ControlKind kind;
  int x, y, width, height;
  std::string_view content;
  int dropDownHeight = 0;  // combo boxes: room for the opened list
  bool startsEnabled = true;
  int fontPixels = 0;  // 0: the window's font
};

struct ColumnRow {
  std::string_view header;
  int width;
};

inline constexpr std::string_view kWindowTitle = "Vorel";
inline constexpr int kWindowX = 50, kWindowY = 50;
// The outer frame of 428 x 463 less a dialog frame of 3 pixels a side and a 22-pixel caption.
inline constexpr int kClientWidth = 422, kClientHeight = 435;
inline constexpr int kFontPixels = 12;

// clang-format off
inline constexpr ControlRow kMainWindowControls[] = {
    // name             kind                             x    y    w    h    content
    {"编辑框1",            ControlKind::EditBox,             8,   8, 160,  32,  "百花香"},
    {"标签1",              ControlKind::Label,             176,   8,  48,  32,  "目标源："},
    {"网站_组合框",        ControlKind::ComboBox,          224,  11,  80,  20,  "酷我|QQ|网易|酷狗|咪咕", 160},
    {"按钮1",              ControlKind::Button,            304,   8,  80,  32,  "搜索"},
    {"音乐_列表框",        ControlKind::ListView,            8,  48, 408, 288,  ""},
    {"上一页_按钮",        ControlKind::Button,            296, 336,  56,  24,  "上一页", 0, false},
    {"下一页_按钮",        ControlKind::Button,            360, 336,  56,  24,  "下一页"},
    {"进度条1",            ControlKind::ProgressBar,         8, 344, 168,  16,  ""},
    {"透明标签1",          ControlKind::TransparentLabel,  184, 344, 112,  16,  ""},
    {"播放_按钮",          ControlKind::Button,              8, 368,  48,  32,  "播放"},
    {"暂停_按钮",          ControlKind::Button,             72, 368,  48,  32,  "暂停"},
    {"停止_按钮",          ControlKind::Button,            128, 368,  48,  32,  "停止"},
    {"标签2",              ControlKind::Label,             192, 376,  40,  24,  "品质："},
    {"品质_组合框",        ControlKind::ComboBox,          232, 376,  88,  20,  "标准", 160},
    {"下载_按钮",          ControlKind::Button,            328, 368,  80,  32,  "下载"},
    {"标签3",              ControlKind::Label,             200, 416, 272,  16,  "由 Vorel 开发组制作", 0, true, 14},
    {"时钟1",              ControlKind::Timer,               0,   0,   0,   0,  ""},
};

inline constexpr ColumnRow kMusicListColumns[] = {
    {"歌名", 200},  // song name
    {"歌手", 200},  // singer
    {"标准", 0},    // standard-quality link
    {"高品", 0},    // high-quality link
    {"无损", 0},    // lossless link
};
// clang-format on

// The row of control `name`, checked while compiling: a missing name or a kind that the
// caller does not expect does not compile.
consteval const ControlRow& FindControl(std::string_view name, ControlKind kind) {
  for (const ControlRow& row : kMainWindowControls) {
    if (row.name == name) {
      const bool label = kind == ControlKind::Label && row.kind == ControlKind::TransparentLabel;
      if (row.kind != kind && !label) throw "control of another kind";
      return row;
    }
  }
  throw "no such control";
}

}  // namespace vorel
