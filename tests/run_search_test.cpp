// Searching end to end: the real window, the real search service on a free port.
#include "search/run_search.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <algorithm>

#include "app/main_window.h"
#include "platform/window/message_loop.h"
#include "search/search_url.h"
#include "support/catalog_server.h"
#include "support/wait_until.h"
#include "text/events.h"
#include "text/utf8_literal.h"

namespace {

using vorel::FromUtf8;
using vorel::Text;

class RunSearchTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<vorel::test::CatalogServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server_->running());
    seenSearches_ = SearchTargets().size();
    state_.searchHost = server_->host();
    window_.网站_组合框.SetSelection(0);
    window_.品质_组合框.SetSelection(0);
    vorel::SetProcessEventsHook([] { vorel::platform::ProcessPendingEvents(); });
  }
  void TearDown() override { vorel::SetProcessEventsHook(nullptr); }

  // The root-page requests the service has logged so far.
  static std::vector<std::string> SearchTargets() {
    std::vector<std::string> targets;
    for (const auto& line : server_->accessLog())
      if (line.rfind("GET /?", 0) == 0) targets.push_back(line.substr(4, line.rfind(' ') - 4));
    return targets;
  }

  // Whether the newest search request the service logged, newer than the one the previous
  // call saw, asked for `target` (path and query). The service logs a request after
  // answering it, so the line may trail the answer by a moment: wait for it, boundedly.
  testing::AssertionResult SearchLogged(const std::string& target) {
    std::vector<std::string> targets;
    vorel::test::WaitUntil(
        [&] {
          targets = SearchTargets();
          return targets.size() > seenSearches_ && targets.back() == target;
        },
        std::chrono::seconds(5));
    const bool fresh = targets.size() > seenSearches_;
    seenSearches_ = targets.size();
    if (fresh && targets.back() == target) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "newest search logged: " << (fresh ? targets.back() : "(none since the last)");
  }

  std::vector<Text> Column(int column) {
    std::vector<Text> cells;
    for (int row = 0; row < window_.音乐_列表框.RowCount(); ++row)
      cells.push_back(window_.音乐_列表框.CellText(row, column));
    return cells;
  }

  static std::unique_ptr<vorel::test::CatalogServer> server_;
  std::size_t seenSearches_ = 0;
  vorel::SearchState state_;
  vorel::MainWindow window_;
  vorel::SearchControls controls_{window_.编辑框1, window_.网站_组合框, window_.音乐_列表框,
                                  window_.上一页_按钮, window_.品质_组合框};
};

std::unique_ptr<vorel::test::CatalogServer> RunSearchTest::server_;

TEST_F(RunSearchTest, SearchListsTheSongsWithTheirHiddenLinks) {
  window_.编辑框1.SetText(FromUtf8("百花香"));
  vorel::SearchClicked(state_, controls_);
  EXPECT_TRUE(SearchLogged("/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99&lx=kuwo"));
  EXPECT_EQ(state_.searchUrl, "https://" + server_->host() + "/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99&lx=kuwo");
  ASSERT_EQ(window_.音乐_列表框.RowCount(), 1);
  EXPECT_EQ(window_.音乐_列表框.CellText(0, 0), FromUtf8("百花香"));
  EXPECT_EQ(window_.音乐_列表框.CellText(0, 1), FromUtf8("林小雨"));
  for (int column = 2; column <= 4; ++column)
    EXPECT_EQ(window_.音乐_列表框.CellText(0, column).rfind(server_->baseUrl() + "/", 0), 0u) << column;
  EXPECT_FALSE(window_.上一页_按钮.IsEnabled());
  EXPECT_EQ(state_.currentEntry.songName, FromUtf8("百花香"));

  // Another site lists that site's own songs.
  window_.网站_组合框.SetSelection(2);
  vorel::SearchClicked(state_, controls_);
  EXPECT_TRUE(SearchLogged("/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99&lx=wy"));
  ASSERT_EQ(window_.音乐_列表框.RowCount(), 1);
  EXPECT_EQ(window_.音乐_列表框.CellText(0, 1), FromUtf8("赵雷"));
  EXPECT_EQ(window_.音乐_列表框.CellText(0, 3), "");
}

TEST_F(RunSearchTest, PageButtonsMoveThroughTheResults) {
  window_.编辑框1.SetText(FromUtf8("花"));
  vorel::SearchClicked(state_, controls_);
  const auto firstPage = Column(0);
  ASSERT_FALSE(firstPage.empty());

  window_.品质_组合框.Clear();
  window_.品质_组合框.AddItem(FromUtf8("标准"), 0);
  window_.品质_组合框.AddItem(FromUtf8("高品"), 1);
  window_.品质_组合框.SetSelection(1);
  vorel::NextPageClicked(state_, controls_);
  EXPECT_TRUE(SearchLogged("/?kw=%E8%8A%B1&p=1&lx=kuwo"));
  EXPECT_TRUE(window_.上一页_按钮.IsEnabled());
  ASSERT_EQ(window_.品质_组合框.Count(), 1);
  EXPECT_EQ(window_.品质_组合框.ItemText(0), FromUtf8("标准"));
  EXPECT_EQ(window_.品质_组合框.GetSelection(), 0);
  const auto secondPage = Column(0);
  ASSERT_FALSE(secondPage.empty());
  for (const auto& song : secondPage)
    EXPECT_EQ(std::count(firstPage.begin(), firstPage.end(), song), 0) << song;

  vorel::PreviousPageClicked(state_, controls_);
  EXPECT_TRUE(SearchLogged("/?kw=%E8%8A%B1&lx=kuwo"));
  EXPECT_FALSE(window_.上一页_按钮.IsEnabled());
  EXPECT_EQ(Column(0), firstPage);

  // Far beyond the last page: an empty list, 上一页 still enabled.
  state_.currentEntry.pageIndex = 40;
  vorel::NextPageClicked(state_, controls_);
  EXPECT_TRUE(SearchLogged("/?kw=%E8%8A%B1&p=41&lx=kuwo"));
  EXPECT_EQ(window_.音乐_列表框.RowCount(), 0);
  EXPECT_TRUE(window_.上一页_按钮.IsEnabled());

  // 搜索 goes back to the first page and leaves the quality box alone.
  window_.品质_组合框.AddItem(FromUtf8("高品"), 1);
  vorel::SearchClicked(state_, controls_);
  EXPECT_EQ(state_.currentEntry.pageIndex, 0);
  EXPECT_FALSE(window_.上一页_按钮.IsEnabled());
  EXPECT_EQ(window_.品质_组合框.Count(), 2);
}

TEST_F(RunSearchTest, KeywordsAndSitesAsTheServiceSeesThem) {
  struct Case {
    Text keyword;
    int site;
    int page;
    std::string target;
  };
  const Case cases[] = {
      {"ab 12", 0, 0, "/?kw=ab%2012&lx=kuwo"},
      {"a-b", 1, 0, "/?kw=a%2Db&lx=qq"},
      {"a\tb", 3, 0, "/?kw=a%09b&lx=kg"},
      {"", 0, 0, "/?kw=&lx=kuwo"},
      {"x", 4, 0, "/?kw=x&lx=migu"},
      {"x", -1, 0, "/?kw=x"},
      {"x", -1, 1, "/?kw=x&p=1"},
      {FromUtf8("百花香"), 2, 2, "/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99&p=2&lx=wy"},
  };
  for (const auto& c : cases) {
    window_.编辑框1.SetText(c.keyword);
    window_.网站_组合框.SetSelection(c.site);
    state_.currentEntry.pageIndex = c.page;
    vorel::RunSearch(state_, controls_);
    EXPECT_TRUE(SearchLogged(c.target)) << c.keyword;
    EXPECT_EQ(window_.上一页_按钮.IsEnabled(), c.page != 0) << c.keyword;
  }
}

TEST_F(RunSearchTest, TheLatestSearchWins) {
  // While the first search waits for the service, the user presses 搜索 again with
  // another keyword: only the second search's rows end up in the list.
  window_.编辑框1.SetText(FromUtf8("花"));
  bool pressed = false;
  QTimer::singleShot(0, [&] {
    pressed = true;
    window_.编辑框1.SetText(FromUtf8("春风"));
    vorel::SearchClicked(state_, controls_);
  });
  vorel::SearchClicked(state_, controls_);
  ASSERT_TRUE(pressed);
  ASSERT_EQ(window_.音乐_列表框.RowCount(), 1);
  EXPECT_EQ(window_.音乐_列表框.CellText(0, 0), FromUtf8("春风"));
  EXPECT_EQ(state_.searchUrl, vorel::SearchUrl(server_->host(), FromUtf8("春风"), 0, 0));
}

TEST_F(RunSearchTest, AnUnreachableServiceGivesAnEmptyList) {
  window_.编辑框1.SetText(FromUtf8("花"));
  vorel::SearchClicked(state_, controls_);
  ASSERT_GT(window_.音乐_列表框.RowCount(), 0);
  state_.searchHost = "127.0.0.1:1";
  vorel::NextPageClicked(state_, controls_);
  EXPECT_EQ(window_.音乐_列表框.RowCount(), 0);
  EXPECT_TRUE(window_.上一页_按钮.IsEnabled());
}

}  // namespace
