// The main window as start-up leaves it, on real (offscreen) Qt widgets.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <string>

#include "app/app_state.h"
#include "app/main_window_events.h"
#include "app/window_created.h"
#include "platform/window/message_loop.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    state.currentEntry.pageIndex = 3;  // the creation handler must reset it
    ConnectMainWindowEvents(state, window);
    OnWindowCreated(state, window);
    window.Show();
  }

  AppState state;
  MainWindow window;
};

TEST_F(MainWindowTest, StartsAsTheUserFirstSeesIt) {
  EXPECT_EQ(window.window.Title(), "Vorel");
  EXPECT_EQ(window.编辑框1.GetText(), FromUtf8("百花香"));
  EXPECT_EQ(window.网站_组合框.GetSelection(), 0);
  EXPECT_EQ(window.网站_组合框.GetText(), FromUtf8("酷我"));
  EXPECT_EQ(window.品质_组合框.GetSelection(), 0);
  EXPECT_EQ(window.品质_组合框.GetText(), FromUtf8("标准"));
  EXPECT_EQ(window.品质_组合框.Count(), 1);
  EXPECT_EQ(window.品质_组合框.ItemData(0), 0);
  EXPECT_EQ(state.currentEntry.pageIndex, 0);

  EXPECT_EQ(window.音乐_列表框.RowCount(), 0);
  EXPECT_EQ(window.音乐_列表框.SelectedRow(), -1);
  EXPECT_FALSE(window.音乐_列表框.Widget()->isHeaderHidden());

  EXPECT_FALSE(window.上一页_按钮.IsEnabled());
  for (const platform::Button* button : {&window.按钮1, &window.下一页_按钮, &window.播放_按钮,
                                         &window.暂停_按钮, &window.停止_按钮, &window.下载_按钮}) {
    EXPECT_TRUE(button->IsEnabled()) << button->GetText();
  }
  EXPECT_EQ(window.进度条1.GetPosition(), 0);
  EXPECT_EQ(window.进度条1.Widget()->value(), 0);
  EXPECT_EQ(window.透明标签1.GetText(), "");
  EXPECT_TRUE(window.透明标签1.IsTransparent());
  EXPECT_EQ(window.时钟1.GetPeriod(), 0);
  EXPECT_EQ(window.时钟1.RemainingMilliseconds(), -1);
}

TEST_F(MainWindowTest, SiteBoxOffersTheFiveSitesInOrder) {
  const char* const sites[] = {"酷我", "QQ", "网易", "酷狗", "咪咕"};
  ASSERT_EQ(window.网站_组合框.Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(window.网站_组合框.ItemText(i), FromUtf8(sites[i])) << i;
}

TEST_F(MainWindowTest, ListShowsNameAndSingerAndHidesTheThreeLinkColumns) {
  struct Case {
    const char* header;
    int width;
    bool visible;
  };
  const Case columns[] = {
      {"歌名", 200, true}, {"歌手", 200, true}, {"标准", 0, false}, {"高品", 0, false}, {"无损", 0, false},
  };
  const platform::ListView& list = window.音乐_列表框;
  ASSERT_EQ(list.ColumnCount(), 5);
  for (int column = 0; column < 5; ++column) {
    const Case& c = columns[column];
    EXPECT_EQ(list.ColumnHeader(column), FromUtf8(c.header)) << column;
    EXPECT_EQ(list.ColumnWidth(column), c.width) << column;
    EXPECT_EQ(list.IsColumnVisible(column), c.visible) << column;
  }
}

// Positions and sizes in the client area, as the window is drawn.
TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem) {
  struct Case {
    const char* name;
    const QWidget* widget;
    QRect where;
  };
  const Case cases[] = {
      {"编辑框1", window.编辑框1.Widget(), {8, 8, 160, 32}},
      {"标签1", window.标签1.Widget(), {176, 8, 48, 32}},
      {"网站_组合框", window.网站_组合框.Widget(), {224, 11, 80, 20}},
      {"按钮1", window.按钮1.Widget(), {304, 8, 80, 32}},
      {"音乐_列表框", window.音乐_列表框.Widget(), {8, 48, 408, 288}},
      {"上一页_按钮", window.上一页_按钮.Widget(), {296, 336, 56, 24}},
      {"下一页_按钮", window.下一页_按钮.Widget(), {360, 336, 56, 24}},
      {"进度条1", window.进度条1.Widget(), {8, 344, 168, 16}},
      {"透明标签1", window.透明标签1.Widget(), {184, 344, 112, 16}},
      {"播放_按钮", window.播放_按钮.Widget(), {8, 368, 48, 32}},
      {"暂停_按钮", window.暂停_按钮.Widget(), {72, 368, 48, 32}},
      {"停止_按钮", window.停止_按钮.Widget(), {128, 368, 48, 32}},
      {"标签2", window.标签2.Widget(), {192, 376, 40, 24}},
      {"品质_组合框", window.品质_组合框.Widget(), {232, 376, 88, 20}},
      {"下载_按钮", window.下载_按钮.Widget(), {328, 368, 80, 32}},
      {"标签3", window.标签3.Widget(), {200, 416, 272, 16}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.widget->geometry(), c.where) << c.name;
    EXPECT_EQ(c.widget->parentWidget(), window.window.Widget()) << c.name;
    EXPECT_TRUE(c.widget->isVisible()) << c.name;
  }
  EXPECT_EQ(window.标签1.GetText(), FromUtf8("目标源："));
  EXPECT_EQ(window.标签2.GetText(), FromUtf8("品质："));
  EXPECT_EQ(window.按钮1.GetText(), FromUtf8("搜索"));
  EXPECT_EQ(window.标签3.Widget()->font().pixelSize(), 14);
  EXPECT_FALSE(window.标签3.GetText().empty());
}

TEST_F(MainWindowTest, WindowIsFixedAndCannotBeMaximized) {
  const QWidget* frame = window.window.Widget();
  EXPECT_EQ(frame->size(), QSize(422, 435));
  EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
  EXPECT_EQ(frame->pos(), QPoint(50, 50));
  EXPECT_FALSE(frame->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(frame->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_NE(window.NativeHandle(), 0u);
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheMessageLoop) {
  QTimer::singleShot(0, window.window.Widget(), [this] { window.window.Close(); });
  EXPECT_EQ(platform::RunMessageLoop(), 0);
  EXPECT_FALSE(window.window.Widget()->isVisible());
}

}  // namespace
}  // namespace vorel
