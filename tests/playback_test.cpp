// Choosing a track and playing it: the real window and handlers, real audio from the
// search service.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/clock_text.h"
#include "app/main_window.h"
#include "app/main_window_events.h"
#include "app/playback_controls.h"
#include "app/track_selection.h"
#include "platform/window/message_loop.h"
#include "support/catalog_server.h"
#include "support/wait_until.h"
#include "text/events.h"
#include "text/utf8_literal.h"

namespace {

using vorel::FromUtf8;
using vorel::Text;
using vorel::test::WaitUntil;

class PlaybackTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<vorel::test::CatalogServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server_->running());
    state_.searchHost = server_->host();
    vorel::ConnectMainWindowEvents(state_, window_);
    vorel::SetProcessEventsHook([] { vorel::platform::ProcessPendingEvents(); });
  }
  void TearDown() override { vorel::SetProcessEventsHook(nullptr); }

  std::vector<Text> QualityItems() {
    std::vector<Text> items;
    for (int i = 0; i < window_.品质_组合框.Count(); ++i) items.push_back(window_.品质_组合框.ItemText(i));
    return items;
  }

  void Search(const std::string& keywordUtf8) {
    window_.编辑框1.SetText(FromUtf8(keywordUtf8));
    window_.按钮1.Click();
  }

  static std::unique_ptr<vorel::test::CatalogServer> server_;
  vorel::AppState state_;
  vorel::MainWindow window_;
};

std::unique_ptr<vorel::test::CatalogServer> PlaybackTest::server_;

TEST_F(PlaybackTest, DoubleClickOffersTheQualitiesOfTheRow) {
  const Text standard = FromUtf8("标准"), high = FromUtf8("高品"), lossless = FromUtf8("无损");
  struct Case {
    const char* what;
    Text links[3];
    std::vector<Text> items;
  };
  const Case cases[] = {
      {"standard only", {"s", "", ""}, {standard}},
      {"standard and high", {"s", "h", ""}, {standard, high}},
      {"all three", {"s", "h", "l"}, {standard, high, lossless}},
      {"no links", {"", "", ""}, {}},
      {"high and lossless only", {"", "h", "l"}, {high, lossless}},
      {"blank links are present", {" ", "", ""}, {standard}},
  };
  auto& list = window_.音乐_列表框;
  for (const auto& c : cases) {
    list.DeleteAllRows();
    const int row = list.AppendRow();
    for (int q = 0; q < 3; ++q) list.SetCellText(row, 2 + q, c.links[q]);
    list.SelectRow(row);
    vorel::OnTrackDoubleClicked(state_, window_);
    EXPECT_EQ(state_.selectedStandardUrl, c.links[0]) << c.what;
    EXPECT_EQ(state_.selectedHighUrl, c.links[1]) << c.what;
    EXPECT_EQ(state_.selectedLosslessUrl, c.links[2]) << c.what;
    EXPECT_EQ(QualityItems(), c.items) << c.what;
    EXPECT_EQ(window_.品质_组合框.GetSelection(), c.items.empty() ? -1 : 0) << c.what;
  }

  // A double-click with no row selected keeps the links and rebuilds the box.
  list.DeleteAllRows();
  const int row = list.AppendRow();
  for (int q = 0; q < 3; ++q) list.SetCellText(row, 2 + q, "x");
  list.SelectRow(row);
  vorel::OnTrackDoubleClicked(state_, window_);
  list.SelectRow(-1);
  window_.品质_组合框.Clear();
  vorel::OnTrackDoubleClicked(state_, window_);
  EXPECT_EQ(state_.selectedLosslessUrl, "x");
  EXPECT_EQ(QualityItems(), (std::vector<Text>{standard, high, lossless}));
  EXPECT_EQ(window_.品质_组合框.GetSelection(), 0);
}

TEST_F(PlaybackTest, PlayRightAfterStartChangesNothing) {
  window_.播放_按钮.Click();
  EXPECT_EQ(state_.mediaUrl, "");
  EXPECT_EQ(window_.时钟1.GetPeriod(), 0);
  EXPECT_EQ(window_.进度条1.GetPosition(), 0);
  EXPECT_EQ(window_.透明标签1.GetText(), "");
  EXPECT_EQ(state_.player.GetMode(), 0);
}

TEST_F(PlaybackTest, PlayPauseResumeStopFollowTheClock) {
  Search("百花香");
  ASSERT_EQ(window_.音乐_列表框.RowCount(), 1);
  window_.音乐_列表框.SelectRow(0);
  vorel::OnTrackDoubleClicked(state_, window_);
  EXPECT_EQ(QualityItems(), (std::vector<Text>{FromUtf8("标准"), FromUtf8("高品"), FromUtf8("无损")}));
  window_.品质_组合框.SetSelection(2);
  window_.播放_按钮.Click();
  EXPECT_EQ(state_.mediaUrl.rfind(server_->baseUrl() + "/media/", 0), 0u) << state_.mediaUrl;
  EXPECT_EQ(state_.mediaUrl.substr(state_.mediaUrl.size() - 5), ".flac");
  EXPECT_EQ(state_.player.GetMode(), 1);
  window_.停止_按钮.Click();

  // A long track, to watch the clock.
  Search("长夜");
  ASSERT_EQ(window_.音乐_列表框.RowCount(), 1);
  window_.音乐_列表框.SelectRow(0);
  vorel::OnTrackDoubleClicked(state_, window_);
  window_.播放_按钮.Click();
  EXPECT_EQ(window_.时钟1.GetPeriod(), 1000);
  EXPECT_GT(state_.totalSeconds, 60);
  EXPECT_EQ(window_.进度条1.GetMaximum(), state_.totalSeconds);
  const Text total = vorel::TotalText(state_.totalSeconds);
  ASSERT_TRUE(WaitUntil([&] { return window_.进度条1.GetPosition() >= 2; }));
  EXPECT_EQ(window_.透明标签1.GetText(), "00:0" + std::to_string(window_.进度条1.GetPosition()) + total);

  window_.暂停_按钮.Click();
  EXPECT_EQ(window_.时钟1.GetPeriod(), 0);
  EXPECT_EQ(state_.player.GetMode(), 3);
  const int held = window_.进度条1.GetPosition();
  const int heldPosition = state_.player.GetPosition();
  WaitUntil([] { return false; }, std::chrono::milliseconds(1500));
  EXPECT_EQ(window_.进度条1.GetPosition(), held);
  EXPECT_EQ(state_.player.GetPosition(), heldPosition);

  window_.播放_按钮.Click();  // resumes
  EXPECT_EQ(state_.player.GetMode(), 1);
  EXPECT_EQ(window_.时钟1.GetPeriod(), 1000);
  ASSERT_TRUE(WaitUntil([&] { return window_.进度条1.GetPosition() >= held + 1; }));
  EXPECT_GE(state_.player.GetPosition(), heldPosition);

  window_.停止_按钮.Click();
  EXPECT_EQ(window_.时钟1.GetPeriod(), 0);
  EXPECT_EQ(window_.进度条1.GetPosition(), 0);
  EXPECT_EQ(state_.elapsedSeconds, 0);
  EXPECT_EQ(state_.elapsedMinutes, 0);
  EXPECT_FALSE(window_.透明标签1.GetText().empty());  // keeps the last time shown

  // 播放 after 停止 opens the track afresh and plays it from the start.
  const Text before = state_.player.GetAlias();
  window_.播放_按钮.Click();
  EXPECT_NE(state_.player.GetAlias(), before);
  EXPECT_EQ(state_.player.GetMode(), 1);
  EXPECT_LT(state_.player.GetPosition(), 3000);
  window_.停止_按钮.Click();
}

}  // namespace
