// The window layer's controls, on real (offscreen) Qt widgets.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <string>

#include "platform/dialogs/message_box.h"
#include "platform/window/button.h"
#include "platform/window/combo_box.h"
#include "platform/window/edit_box.h"
#include "platform/window/label.h"
#include "platform/window/list_view.h"
#include "platform/window/progress_bar.h"
#include "platform/window/timer.h"
#include "platform/window/window.h"
#include "support/wait_until.h"
#include "text/utf8_literal.h"

namespace vorel::platform {
namespace {

using test::WaitUntil;

class WindowControlsTest : public testing::Test {
 protected:
  void SetUp() override { window.Show(); }

  Window window{FromUtf8("控件"), 0, 0, 480, 400};
};

// Sends one mouse event of `type` at `at` (viewport coordinates) of the list.
void SendMouse(QTreeWidget* tree, QEvent::Type type, QPoint at) {
  const QPointF local(at);
  QMouseEvent event(type, local, tree->viewport()->mapToGlobal(local), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(tree->viewport(), &event);
}

void DoubleClickAt(QTreeWidget* tree, QPoint at) {
  SendMouse(tree, QEvent::MouseButtonPress, at);
  SendMouse(tree, QEvent::MouseButtonRelease, at);
  SendMouse(tree, QEvent::MouseButtonDblClick, at);
  SendMouse(tree, QEvent::MouseButtonRelease, at);
}

// --- Combo box -------------------------------------------------------------------------

TEST_F(WindowControlsTest, ComboBoxSelectionIsLimitedToTheItems) {
  struct Case {
    int items;
    int position;
    int selection;
  };
  const Case cases[] = {
      {0, 0, -1}, {0, 3, -1},                          // an empty box is left without a selection
      {5, 9, 4},  {5, 5, 4},                           // beyond the last item: the last item
      {5, 4, 4},  {5, 0, 0},  {1, 1, 0}, {3, -1, -1},  // a negative position clears the selection
  };
  ComboBox box(window, {0, 0, 80, 20}, 160);
  for (const Case& c : cases) {
    box.Clear();
    for (int i = 0; i < c.items; ++i) box.AddItem("item" + std::to_string(i), i);
    box.SetSelection(2);  // some earlier selection that the write must replace
    box.SetSelection(c.position);
    EXPECT_EQ(box.GetSelection(), c.selection) << c.items << " items, position " << c.position;
    EXPECT_EQ(box.Widget()->currentIndex(), c.selection);
  }
}

TEST_F(WindowControlsTest, ComboBoxKeepsItemsInOrderWithTheirData) {
  ComboBox box(window, {0, 0, 80, 20}, 160);
  box.AddItem(FromUtf8("标准"), 0);
  box.AddItem(FromUtf8("无损"), 2);
  EXPECT_EQ(box.GetSelection(), -1) << "adding selects nothing";
  ASSERT_EQ(box.Count(), 2);
  EXPECT_EQ(box.ItemText(0), FromUtf8("标准"));
  EXPECT_EQ(box.ItemText(1), FromUtf8("无损"));
  EXPECT_EQ(box.ItemData(1), 2);
  EXPECT_EQ(box.ItemText(2), "");
  box.SetSelection(1);
  EXPECT_EQ(box.GetText(), FromUtf8("无损"));
  box.Clear();
  EXPECT_EQ(box.Count(), 0);
  EXPECT_EQ(box.GetSelection(), -1);
}

TEST_F(WindowControlsTest, TypingIntoTheComboBoxAddsNoItem) {
  ComboBox box(window, {0, 0, 80, 20}, 160);
  box.AddItem(FromUtf8("酷我"), 0);
  box.SetSelection(0);
  box.Widget()->lineEdit()->setText(QStringLiteral("新的"));
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(box.Widget()->lineEdit(), &press);
  EXPECT_EQ(box.Count(), 1);
  EXPECT_EQ(box.GetText(), FromUtf8("新的"));
}

// --- Progress bar ----------------------------------------------------------------------

TEST_F(WindowControlsTest, ProgressBarLimitsWritesAndKeepsThePositionAsWritten) {
  struct Case {
    const char* what;
    int maximum, position;                 // written, in this order
    int readMaximum, readPosition, drawn;  // read back, and the value on screen
  };
  const Case cases[] = {
      {"maximum above the limit", 40000, 5, 32767, 5, 5},
      {"negative position", 100, -5, 100, 0, 0},
      {"position above the maximum", 10, 12, 10, 12, 10},
      {"position above the limit", 10, 40000, 10, 32767, 10},
      {"position at the maximum", 245, 245, 245, 245, 245},
      {"negative maximum", -1, 3, 0, 3, 0},
  };
  for (const Case& c : cases) {
    ProgressBar bar(window, {0, 0, 168, 16});
    bar.SetMaximum(c.maximum);
    bar.SetPosition(c.position);
    EXPECT_EQ(bar.GetMaximum(), c.readMaximum) << c.what;
    EXPECT_EQ(bar.GetPosition(), c.readPosition) << c.what;
    EXPECT_EQ(bar.Widget()->value(), c.drawn) << c.what;
    EXPECT_LT(bar.Widget()->minimum(), bar.Widget()->maximum()) << c.what << ": never a busy indicator";
  }
}

TEST_F(WindowControlsTest, ProgressBarCountsUpPastItsMaximum) {
  ProgressBar bar(window, {0, 0, 168, 16});
  EXPECT_EQ(bar.GetPosition(), 0);
  bar.SetMaximum(2);
  for (int i = 0; i < 4; ++i) bar.SetPosition(bar.GetPosition() + 1);
  EXPECT_EQ(bar.GetPosition(), 4);
  EXPECT_EQ(bar.Widget()->value(), 2);
  bar.SetMaximum(10);  // a larger maximum draws the kept position again
  EXPECT_EQ(bar.Widget()->value(), 4);
}

// --- Timer -----------------------------------------------------------------------------

TEST_F(WindowControlsTest, RewritingTheSamePeriodDoesNotRestartTheInterval) {
  Timer timer;
  EXPECT_EQ(timer.GetPeriod(), 0);
  EXPECT_EQ(timer.RemainingMilliseconds(), -1) << "stopped at first";
  timer.SetPeriod(1000);
  ASSERT_TRUE(WaitUntil([&] { return timer.RemainingMilliseconds() < 900; }));
  const int before = timer.RemainingMilliseconds();
  timer.SetPeriod(1000);
  EXPECT_LE(timer.RemainingMilliseconds(), before) << "the interval started again";
  EXPECT_EQ(timer.GetPeriod(), 1000);

  // Stopping and starting again does restart it: the measure above can tell.
  ASSERT_TRUE(WaitUntil([&] { return timer.RemainingMilliseconds() < 900; }));
  const int running = timer.RemainingMilliseconds();
  timer.SetPeriod(0);
  timer.SetPeriod(1000);
  EXPECT_GT(timer.RemainingMilliseconds(), running);
}

TEST_F(WindowControlsTest, TimerTicksUntilItsPeriodIsZero) {
  Timer timer;
  int ticks = 0;
  timer.OnTick([&] { ++ticks; });
  timer.SetPeriod(10);
  ASSERT_TRUE(WaitUntil([&] { return ticks >= 3; }));
  timer.SetPeriod(0);
  EXPECT_EQ(timer.RemainingMilliseconds(), -1);
  const int stoppedAt = ticks;
  WaitUntil([] { return false; }, std::chrono::milliseconds(150));  // room for ticks that must not come
  EXPECT_EQ(ticks, stoppedAt);
  timer.SetPeriod(-7);
  EXPECT_EQ(timer.GetPeriod(), 0);
}

// --- List view -------------------------------------------------------------------------

class ListViewTest : public WindowControlsTest {
 protected:
  void SetUp() override {
    WindowControlsTest::SetUp();
    for (const char* header : {"歌名", "歌手", "标准", "高品", "无损"}) {
      const int width = list.ColumnCount() < 2 ? 200 : 0;
      list.AddColumn(FromUtf8(header), width);
    }
  }

  ListView list{window, {8, 8, 408, 288}};
};

TEST_F(ListViewTest, ZeroWidthColumnsAreHiddenFixedAndStillHoldCells) {
  struct Case {
    int column;
    const char* header;
    int width;
    bool visible;
  };
  const Case cases[] = {
      {0, "歌名", 200, true}, {1, "歌手", 200, true}, {2, "标准", 0, false},
      {3, "高品", 0, false},  {4, "无损", 0, false},
  };
  const int row = list.AppendRow();
  QHeaderView* header = list.Widget()->header();
  for (const Case& c : cases) {
    EXPECT_EQ(list.ColumnHeader(c.column), FromUtf8(c.header)) << c.column;
    EXPECT_EQ(list.ColumnWidth(c.column), c.width) << c.column;
    EXPECT_EQ(list.IsColumnVisible(c.column), c.visible) << c.column;
    if (!c.visible) {
      EXPECT_EQ(header->sectionResizeMode(c.column), QHeaderView::Fixed) << c.column;
    }
    const std::string cell =
        FromUtf8("链接 ") + "https://example.test/" + std::to_string(c.column) + "?a=1&b=2";
    ASSERT_TRUE(list.SetCellText(row, c.column, cell));
    EXPECT_EQ(list.CellText(row, c.column), cell) << c.column;
  }
  EXPECT_FALSE(header->stretchLastSection());
}

TEST_F(ListViewTest, AppendReturnsTheNewRowsIndexAndDeleteEmptiesTheList) {
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.AppendRow(), 0);
  EXPECT_EQ(list.AppendRow(), 1);
  list.SetCellText(1, 0, "second");
  EXPECT_EQ(list.AppendRow(), 2);
  EXPECT_EQ(list.CellText(1, 0), "second");
  EXPECT_EQ(list.CellText(2, 0), "");

  struct Missing {
    int row, column;
  };
  for (const Missing& m : {Missing{3, 0}, Missing{-1, 0}, Missing{0, 5}, Missing{0, -1}}) {
    EXPECT_FALSE(list.SetCellText(m.row, m.column, "x")) << m.row << "," << m.column;
    EXPECT_EQ(list.CellText(m.row, m.column), "") << m.row << "," << m.column;
  }

  list.SelectRow(2);
  list.DeleteAllRows();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.SelectedRow(), -1);
  EXPECT_EQ(list.ColumnCount(), 5);
  EXPECT_EQ(list.ColumnHeader(0), FromUtf8("歌名"));
  EXPECT_EQ(list.AppendRow(), 0);

  // A whole row at once: cells in column order, hidden columns included, extras dropped.
  const std::vector<std::string> cells = {FromUtf8("百花香"), "b", "s", "h", "l", "extra"};
  EXPECT_EQ(list.AppendRow(cells), 1);
  for (int column = 0; column < 5; ++column) EXPECT_EQ(list.CellText(1, column), cells[column]) << column;
  EXPECT_EQ(list.AppendRow({"only"}), 2);
  EXPECT_EQ(list.CellText(2, 0), "only");
  EXPECT_EQ(list.CellText(2, 4), "");
}

TEST_F(ListViewTest, SelectedRowIsMinusOneWhenNoneIsSelected) {
  EXPECT_EQ(list.SelectedRow(), -1);
  for (int i = 0; i < 3; ++i) list.AppendRow();
  EXPECT_EQ(list.SelectedRow(), -1);
  list.SelectRow(1);
  EXPECT_EQ(list.SelectedRow(), 1);
  list.SelectRow(2);
  EXPECT_EQ(list.SelectedRow(), 2) << "one row at a time";
  list.SelectRow(7);
  EXPECT_EQ(list.SelectedRow(), -1);
  list.SelectRow(0);
  list.SelectRow(-1);
  EXPECT_EQ(list.SelectedRow(), -1);
}

TEST_F(ListViewTest, DoubleClickSelectsTheRowAndFiresTheEvent) {
  for (int i = 0; i < 3; ++i) list.SetCellText(list.AppendRow(), 0, "row " + std::to_string(i));
  int doubleClicks = 0;
  int selectedDuringEvent = -2;
  list.OnDoubleClick([&] {
    ++doubleClicks;
    selectedDuringEvent = list.SelectedRow();
  });
  QTreeWidget* tree = list.Widget();
  DoubleClickAt(tree, tree->visualItemRect(tree->topLevelItem(1)).center());
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(selectedDuringEvent, 1);

  // On the empty area below the rows: the press clears the selection, the event still fires.
  DoubleClickAt(tree, QPoint(20, tree->viewport()->height() - 5));
  EXPECT_EQ(doubleClicks, 2);
  EXPECT_EQ(selectedDuringEvent, -1);
  EXPECT_EQ(list.SelectedRow(), -1);
}

// --- Edit box, button, label, window ---------------------------------------------------

TEST_F(WindowControlsTest, EditBoxReadsBackWhatWasWrittenWithoutALengthLimit) {
  EditBox edit(window, {8, 8, 160, 32}, FromUtf8("百花香"));
  EXPECT_EQ(edit.GetText(), FromUtf8("百花香"));
  EXPECT_EQ(edit.Widget()->text(), QStringLiteral("百花香"));
  const std::string longText(40000, 'a');
  edit.SetText(longText);
  EXPECT_EQ(edit.GetText(), longText);
  edit.SetText("");
  EXPECT_EQ(edit.GetText(), "");
}

TEST_F(WindowControlsTest, DisabledButtonDeliversNoClicks) {
  Button button(window, {0, 0, 80, 32}, FromUtf8("搜索"));
  int clicks = 0;
  button.OnClick([&] { ++clicks; });
  button.Click();
  EXPECT_EQ(clicks, 1);
  button.SetEnabled(false);
  EXPECT_FALSE(button.IsEnabled());
  button.Click();
  EXPECT_EQ(clicks, 1);
  button.SetEnabled(true);
  button.Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(button.GetText(), FromUtf8("搜索"));
}

TEST_F(WindowControlsTest, LabelShowsItsTextAndTheTransparentOneDrawsNoBackground) {
  Label label(window, {0, 0, 112, 16}, "");
  label.SetText("00:01 \\ 04:5");
  EXPECT_EQ(label.GetText(), "00:01 \\ 04:5");
  EXPECT_EQ(label.Widget()->text(), QStringLiteral("00:01 \\ 04:5"));
  EXPECT_FALSE(label.IsTransparent());
  EXPECT_TRUE(label.Widget()->autoFillBackground());
  label.SetTransparent(true);
  EXPECT_TRUE(label.IsTransparent());
  EXPECT_FALSE(label.Widget()->autoFillBackground());
  label.SetFontPixelSize(14);
  EXPECT_EQ(label.Widget()->font().pixelSize(), 14);
}

TEST_F(WindowControlsTest, WindowHasAFixedFrameWithoutMaximizeButton) {
  EXPECT_EQ(window.Title(), FromUtf8("控件"));
  EXPECT_EQ(window.Widget()->windowTitle(), QStringLiteral("控件"));
  EXPECT_NE(window.NativeHandle(), 0u);
  EXPECT_EQ(window.Widget()->minimumSize(), window.Widget()->maximumSize());
  EXPECT_EQ(window.Widget()->size(), QSize(480, 400));
  const Qt::WindowFlags flags = window.Widget()->windowFlags();
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
}

TEST(ErrorBoxTest, ShowsTitleAndTextWithAnErrorIconUntilDismissed) {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer dismisser;  // reads the open box, then presses its OK button
  QObject::connect(&dismisser, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    box->button(QMessageBox::Ok)->click();
  });
  dismisser.start(10);
  ShowErrorBox(FromUtf8("错误"), FromUtf8("运行时出错!\r\n\r\n错误信息：不能整除于零\r\n"));
  EXPECT_EQ(title, QStringLiteral("错误"));
  EXPECT_EQ(text, QStringLiteral("运行时出错!\n\n错误信息：不能整除于零\n"));
  EXPECT_EQ(icon, QMessageBox::Critical);
}

}  // namespace
}  // namespace vorel::platform
