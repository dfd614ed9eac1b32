// 下载 end to end: the real window and handlers, the search service, and small fault
// servers for the answers the service never gives.
#include "app/download_track.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_events.h"
#include "app/track_selection.h"
#include "support/catalog_server.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"
#include "support/test_tls.h"
#include "text/utf8_literal.h"

namespace {

namespace fs = std::filesystem;
using vorel::FromUtf8;
using vorel::test::Reply;

Reply Answer(int status, std::string reason, std::string body) {
  Reply reply;
  reply.status = status;
  reply.reason = std::move(reason);
  reply.body = std::move(body);
  return reply;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class DownloadTrackTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<vorel::test::CatalogServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server_->running());
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() / ("vorel-download-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    state_.searchHost = server_->host();
    vorel::ConnectMainWindowEvents(state_, window_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }

  // Searches for `keyword`, double-clicks the first row and presses 播放.
  void PlayFirstRow(const std::string& keywordUtf8, int quality = 0) {
    window_.编辑框1.SetText(FromUtf8(keywordUtf8));
    window_.按钮1.Click();
    ASSERT_GT(window_.音乐_列表框.RowCount(), 0);
    window_.音乐_列表框.SelectRow(0);
    vorel::OnTrackDoubleClicked(state_, window_);
    window_.品质_组合框.SetSelection(quality);
    window_.播放_按钮.Click();
    ASSERT_FALSE(state_.mediaUrl.empty());
  }

  // Every name in the download folder, hidden ones included.
  std::vector<std::string> Files() const { return vorel::test::SortedFileNames(folder_); }

  static std::unique_ptr<vorel::test::CatalogServer> server_;
  fs::path previous_, folder_;
  vorel::AppState state_;
  vorel::MainWindow window_;
};

std::unique_ptr<vorel::test::CatalogServer> DownloadTrackTest::server_;

TEST_F(DownloadTrackTest, SavesTheTrackThatPlayResolved) {
  window_.下载_按钮.Click();  // nothing played yet
  EXPECT_TRUE(Files().empty());

  PlayFirstRow("百花香", 2);
  EXPECT_EQ(state_.mediaUrl.rfind(server_->baseUrl() + "/media/", 0), 0u) << state_.mediaUrl;
  window_.下载_按钮.Click();
  const std::string lossless = ReadFile(fs::path(vorel::test::SampleMusicDir()) / "林小雨 - 百花香.flac");
  ASSERT_FALSE(lossless.empty());
  EXPECT_EQ(Files(), std::vector<std::string>{"百花香.mp3"});
  EXPECT_EQ(ReadFile(folder_ / "百花香.mp3"), lossless);

  // A second download of another quality replaces the first.
  window_.品质_组合框.SetSelection(0);
  window_.播放_按钮.Click();
  window_.下载_按钮.Click();
  EXPECT_EQ(ReadFile(folder_ / "百花香.mp3"),
            ReadFile(fs::path(vorel::test::SampleMusicDir()) / "林小雨 - 百花香.mp3"));

  // The keyword at the time of the download names the file; "/" stays in this folder.
  window_.编辑框1.SetText(FromUtf8("新名字"));
  window_.下载_按钮.Click();
  window_.编辑框1.SetText("../escape/x");
  window_.下载_按钮.Click();
  window_.编辑框1.SetText("");
  window_.下载_按钮.Click();
  EXPECT_EQ(Files(), (std::vector<std::string>{".._escape_x.mp3", ".mp3", "新名字.mp3", "百花香.mp3"}));
  EXPECT_EQ(ReadFile(folder_ / ".mp3"), ReadFile(folder_ / "百花香.mp3"));
  window_.时钟1.SetPeriod(0);
}

TEST_F(DownloadTrackTest, ARedirectingLinkIsFollowed) {
  PlayFirstRow("春风");
  const std::string direct = ReadFile(fs::path(vorel::test::SampleMusicDir()) / "孙悦 - 春风.mp3");
  state_.mediaUrl = window_.音乐_列表框.CellText(0, 2);  // the 302 link itself
  window_.编辑框1.SetText("redirected");
  window_.下载_按钮.Click();
  EXPECT_EQ(ReadFile(folder_ / "redirected.mp3"), direct);
  window_.时钟1.SetPeriod(0);
}

TEST_F(DownloadTrackTest, FailedAnswersLeaveTheExistingFileAlone) {
  vorel::test::LocalHttpServer faults;
  ASSERT_TRUE(faults.running());
  const std::string body(200000, 'x');
  faults.Handle("/missing", [](const vorel::test::ReceivedRequest&) {
    return Answer(404, "Not Found", "<html>no such song</html>");
  });
  faults.Handle("/broken", [](const vorel::test::ReceivedRequest&) {
    return Answer(500, "Internal Server Error", "<html>oops</html>");
  });
  faults.Handle("/cut", [&](const vorel::test::ReceivedRequest&) {
    Reply reply = Answer(200, "OK", body);
    reply.closeAfter = 1000;
    return reply;
  });

  vorel::test::TestTls tls;
  ASSERT_TRUE(tls.ok()) << tls.log();
  vorel::test::LocalHttpServer untrusted(
      vorel::test::LocalHttpServer::Tls{tls.selfSigned().certFile, tls.selfSigned().keyFile});
  untrusted.Handle("/song", [&](const vorel::test::ReceivedRequest&) { return Answer(200, "OK", body); });

  std::ofstream(folder_ / "good.mp3") << "the good file";
  window_.编辑框1.SetText("good");
  const std::string urls[] = {faults.url("/missing"), faults.url("/broken"), faults.url("/cut"),
                              untrusted.url("/song", "localhost"),
                              "http://127.0.0.1:" + std::to_string(vorel::test::RefusedPort()) + "/x"};
  for (const auto& url : urls) {
    state_.mediaUrl = url;
    window_.下载_按钮.Click();
    EXPECT_EQ(ReadFile(folder_ / "good.mp3"), "the good file") << url;
    EXPECT_EQ(Files(), std::vector<std::string>{"good.mp3"}) << url;
  }
}

}  // namespace
