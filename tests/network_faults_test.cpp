// The program's three network paths against servers that misbehave: the search (搜索),
// playing (播放) and saving (下载), each driven through the real window and handlers.
// Every fault here ends by itself (a silent server hangs up after a while), because the
// paths' own time-outs are long; the waits that the program bounds itself are checked
// through WinHttpFetch's time-out option.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_events.h"
#include "app/track_selection.h"
#include "http/win_http_fetch.h"
#include "platform/window/message_loop.h"
#include "support/catalog_server.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"
#include "support/test_tls.h"
#include "support/wait_until.h"
#include "text/events.h"
#include "text/utf8_literal.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using vorel::FromUtf8;
using vorel::Text;
using vorel::test::LocalHttpServer;
using vorel::test::ReceivedRequest;
using vorel::test::Reply;

constexpr milliseconds kSilence(1200);  // how long a silent fault server waits before hanging up

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// One result row as the search service writes it.
std::string ResultRow(const std::string& name, const std::string& link) {
  return "<tr><td width=70% class=\"song-name\">" + name + "</td><td class=\"song-bitrate\"><a href=\"" +
         link + "\" class=\"q\">s</a></td></tr><tr>";
}

Reply Page(std::string body, std::vector<std::string> headers = {"Content-Type: text/html"}) {
  Reply reply;
  reply.body = std::move(body);
  reply.headerLines = std::move(headers);
  return reply;
}

std::string BinaryBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919 + i / 256) & 0xff);
  return bytes;
}

// Runs `action` and returns how long it took and how often a 20 ms window timer fired
// meanwhile.
struct Timed {
  milliseconds took;
  int ticks;
};
Timed RunTimed(const std::function<void()>& action) {
  QTimer ticker;
  int ticks = 0;
  QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
  ticker.start(20);
  const auto start = Clock::now();
  action();
  return {std::chrono::duration_cast<milliseconds>(Clock::now() - start), ticks};
}

// The window still runs events: a zero-time single shot fires.
bool WindowAnswers() {
  bool fired = false;
  QTimer::singleShot(0, [&fired] { fired = true; });
  return vorel::test::WaitUntil([&fired] { return fired; }, std::chrono::seconds(2));
}

class NetworkFaultsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    tls_ = std::make_unique<vorel::test::TestTls>();
    if (!tls_->ok()) return;
    trust_ = std::make_unique<vorel::test::ScopedTrustFile>(tls_->caFile());
    auto serve = [](vorel::test::CertificatePair pair) {
      return std::make_unique<LocalHttpServer>(LocalHttpServer::Tls{pair.certFile, pair.keyFile});
    };
    faults_ = serve(tls_->server());
    otherName_ = serve(tls_->otherName());
    expired_ = serve(tls_->expired());
    audio_ = ReadFile(fs::path(vorel::test::SampleMusicDir()) / "孙悦 - 春风.mp3");
  }
  static void TearDownTestSuite() {
    faults_.reset();
    otherName_.reset();
    expired_.reset();
    trust_.reset();
    tls_.reset();
  }

  void SetUp() override {
    ASSERT_TRUE(tls_->ok()) << tls_->log();
    ASSERT_TRUE(faults_->running() && otherName_->running() && expired_->running());
    ASSERT_FALSE(audio_.empty());
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() / ("vorel-faults-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    vorel::ConnectMainWindowEvents(state_, window_);
    vorel::SetProcessEventsHook([] { vorel::platform::ProcessPendingEvents(); });
    vorel::SetProcessNonInputEventsHook([] { vorel::platform::ProcessPendingNonInputEvents(); });
  }
  void TearDown() override {
    vorel::SetProcessEventsHook(nullptr);
    vorel::SetProcessNonInputEventsHook(nullptr);
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }

  // Every name in the download folder, hidden ones included.
  std::vector<std::string> Files() const { return vorel::test::SortedFileNames(folder_); }

  // 播放 on a one-row list whose standard link is `url`.
  void PlayLink(const Text& url) {
    auto& list = window_.音乐_列表框;
    list.DeleteAllRows();
    const int row = list.AppendRow();
    list.SetCellText(row, 0, "song");
    list.SetCellText(row, 2, url);
    list.SelectRow(row);
    vorel::OnTrackDoubleClicked(state_, window_);
    window_.品质_组合框.SetSelection(0);
    window_.播放_按钮.Click();
  }

  static std::unique_ptr<vorel::test::TestTls> tls_;
  static std::unique_ptr<vorel::test::ScopedTrustFile> trust_;
  static std::unique_ptr<LocalHttpServer> faults_, otherName_, expired_;
  static std::string audio_;
  fs::path previous_, folder_;
  vorel::AppState state_;
  vorel::MainWindow window_;
};

std::unique_ptr<vorel::test::TestTls> NetworkFaultsTest::tls_;
std::unique_ptr<vorel::test::ScopedTrustFile> NetworkFaultsTest::trust_;
std::unique_ptr<LocalHttpServer> NetworkFaultsTest::faults_, NetworkFaultsTest::otherName_,
    NetworkFaultsTest::expired_;
std::string NetworkFaultsTest::audio_;

TEST_F(NetworkFaultsTest, SearchPlayAndDownloadSurviveEveryFault) {
  const std::string row = ResultRow("Singer - Song", "https://localhost/x.mp3");
  const std::string filler(100000, 'f');
  const std::string fiveMegabytes = std::string(5 * 1024 * 1024, 'p') + row;
  const std::string binary = row + BinaryBytes(300000);
  const std::string unknownCharset =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-no-such-charset\">"
      "</head><body><table>" +
      row + "</table></body></html>";
  // A UTF-8 page lists its names in code page 936; binary bytes (odd length, invalid
  // sequences) declared as UTF-16 or UTF-8 go through the decoder without harm.
  const std::string utf8Page = "<html><head><meta charset=\"utf-8\"></head><body><table>" +
                               ResultRow("林小雨 - 百花香", "https://localhost/x.mp3") +
                               "</table></body></html>";
  const std::string binaryUtf16 = "<meta charset=\"utf-16\">" + BinaryBytes(100001);
  const std::string binaryUtf8 = "<meta charset=utf-8>" + std::string(1, '\xff') + BinaryBytes(100001);
  const std::string notAudio = "<html><body>" + std::string(200000, 'n') + "</body></html>";

  struct Case {
    const char* what;
    LocalHttpServer* server;
    std::function<Reply(const ReceivedRequest&)> reply;
    int rows;                          // listed by the search
    bool plays;                        // 播放 leaves the track playing
    std::optional<std::string> saved;  // what 下载 writes; none: nothing changes
    Text song = "Song";                // the name a listed row shows
  };
  auto fixed = [](Reply reply) { return [reply](const ReceivedRequest&) { return reply; }; };
  // The search gets a page, the others the audio; both late.
  auto delayed = [&row](const ReceivedRequest& request) {
    Reply reply = request.target.find("?kw=") != std::string::npos
                      ? Page(row)
                      : Page(audio_, {"Content-Type: audio/mpeg"});
    reply.delay = milliseconds(1500);
    return reply;
  };
  auto silent = [] {
    Reply reply;
    reply.neverAnswer = true;
    reply.hangUpAfter = kSilence;
    return reply;
  }();
  auto raw = [](std::string bytes) {
    Reply reply;
    reply.raw = std::move(bytes);
    return reply;
  };
  auto cutBody = [&] {
    Reply reply = Page(filler + row + audio_, {"Content-Type: audio/mpeg"});
    reply.closeAfter = 50000;
    return reply;
  }();
  auto stalledBody = [&] {
    Reply reply = Page(filler + row + audio_, {"Content-Type: audio/mpeg"});
    reply.stallAfter = 50000;
    reply.hangUpAfter = kSilence;
    return reply;
  }();
  auto hugeHeaders = [&] {
    Reply reply = Page(row);
    reply.headerLines.push_back("X-Filler: " + std::string(1024 * 1024, 'h'));
    return reply;
  }();
  auto redirectTo = [](std::string target) {
    return [target](const ReceivedRequest&) {
      Reply reply;
      reply.status = 302;
      reply.reason = "Found";
      reply.headerLines = {"Location: " + faults_->url(target, "localhost")};
      return reply;
    };
  };
  const Case cases[] = {
      {"slow answer", faults_.get(), delayed, 1, true, audio_},
      {"never answers", faults_.get(), fixed(silent), 0, false, std::nullopt},
      {"closes inside the headers", faults_.get(), fixed(raw("HTTP/1.1 200 OK\r\nContent-Type: tex")), 0,
       false, std::nullopt},
      {"headers without the blank line", faults_.get(),
       fixed(raw("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5\r\n")), 0, false,
       std::nullopt},
      {"closes inside the body", faults_.get(), fixed(cutBody), 0, false, std::nullopt},
      {"goes silent inside the body", faults_.get(), fixed(stalledBody), 0, false, std::nullopt},
      {"1 MB header block", faults_.get(), fixed(hugeHeaders), 0, false, std::nullopt},
      {"redirect loop", faults_.get(), redirectTo("/b"), 0, false, std::nullopt},
      {"5 MB page", faults_.get(), fixed(Page(fiveMegabytes)), 1, false, fiveMegabytes},
      {"empty page", faults_.get(), fixed(Page("")), 0, false, std::nullopt},
      {"binary page", faults_.get(), fixed(Page(binary, {"Content-Type: application/octet-stream"})), 1,
       false, binary},
      {"unknown charset", faults_.get(), fixed(Page(unknownCharset)), 1, false, unknownCharset},
      {"UTF-8 page", faults_.get(), fixed(Page(utf8Page)), 1, false, utf8Page, FromUtf8("百花香")},
      {"binary declared UTF-16", faults_.get(), fixed(Page(binaryUtf16)), 0, false, binaryUtf16},
      {"binary declared UTF-8", faults_.get(), fixed(Page(binaryUtf8)), 0, false, binaryUtf8},
      {"not audio", faults_.get(), fixed(Page(notAudio, {"Content-Type: audio/mpeg"})), 0, false, notAudio},
      {"certificate for another name", otherName_.get(), fixed(Page(row + audio_)), 0, false, std::nullopt},
      {"expired certificate", expired_.get(), fixed(Page(row + audio_)), 0, false, std::nullopt},
  };

  const std::string good = "the good file";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.server->Handle("/", c.reply);
    c.server->Handle("/b", redirectTo("/"));
    const std::string url = c.server->url("/", "localhost");
    std::ofstream(folder_ / "good.mp3", std::ios::binary) << good;
    window_.编辑框1.SetText("good");
    window_.网站_组合框.SetSelection(0);

    // 搜索
    state_.searchHost = "localhost:" + std::to_string(c.server->port());
    window_.音乐_列表框.AppendRow();  // a stale row that the search must clear
    const Timed search = RunTimed([&] { window_.按钮1.Click(); });
    EXPECT_LT(search.took, milliseconds(10000));
    EXPECT_EQ(window_.音乐_列表框.RowCount(), c.rows);
    if (c.rows == 1) {
      EXPECT_EQ(window_.音乐_列表框.CellText(0, 2), "https://localhost/x.mp3");
      EXPECT_EQ(window_.音乐_列表框.CellText(0, 0), c.song);
    }
    if (search.took > milliseconds(500)) {
      EXPECT_GT(search.ticks, 0) << "the window froze while searching";
    }
    EXPECT_TRUE(WindowAnswers());

    // 播放, then 停止
    const Timed play = RunTimed([&] { PlayLink(url); });
    EXPECT_LT(play.took, milliseconds(20000));
    if (play.took > milliseconds(1000)) {
      EXPECT_GT(play.ticks, 0) << "the window froze while looking up the link";
    }
    EXPECT_EQ(state_.player.GetMode(), c.plays ? 1 : 0);
    EXPECT_EQ(window_.时钟1.GetPeriod(), c.plays ? 1000 : 0);
    window_.停止_按钮.Click();
    EXPECT_EQ(window_.时钟1.GetPeriod(), 0);
    EXPECT_TRUE(WindowAnswers());

    // 下载
    state_.mediaUrl = url;
    const Timed download = RunTimed([&] { window_.下载_按钮.Click(); });
    EXPECT_LT(download.took, milliseconds(10000));
    if (download.took > milliseconds(500)) {
      EXPECT_GT(download.ticks, 0) << "the clock stopped while saving";
    }
    EXPECT_EQ(Files(), std::vector<std::string>{"good.mp3"})
        << "a temporary file stayed or another was written";
    const std::string saved = ReadFile(folder_ / "good.mp3");
    EXPECT_EQ(saved.size(), c.saved.value_or(good).size());
    EXPECT_TRUE(saved == c.saved.value_or(good)) << "good.mp3 holds other bytes";
    EXPECT_TRUE(WindowAnswers());
  }
}

// The waits that the program bounds by itself: WinHttpFetch's time-out, on servers that
// would stay silent for the rest of the test.
TEST(NetworkFaultsTimeoutTest, WinHttpFetchGivesUpWithinItsTimeOut) {
  LocalHttpServer server;
  ASSERT_TRUE(server.running());
  const std::string body = "<html>" + std::string(20000, 'b') + "</html>";
  struct Case {
    const char* what;
    Reply reply;
    std::string message;
    std::string text;
  };
  Reply silent;
  silent.neverAnswer = true;
  Reply late = Page(body);
  late.delay = std::chrono::seconds(30);
  Reply stalled = Page(body);
  stalled.stallAfter = 3000;
  const Case cases[] = {
      {"never answers", silent, FromUtf8("712 服务器未响应!"), ""},
      {"answers after the time-out", late, FromUtf8("712 服务器未响应!"), ""},
      {"goes silent inside the body", stalled, FromUtf8("713 读取数据失败!"), body.substr(0, 3000)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    server.Handle("/", [&c](const ReceivedRequest&) { return c.reply; });
    Text message;
    const auto start = Clock::now();
    const Text text = vorel::WinHttpFetch(server.url("/"), {.timeoutSeconds = 1, .message = &message});
    const auto took = Clock::now() - start;
    EXPECT_GE(took, milliseconds(900));
    EXPECT_LT(took, milliseconds(5000));
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(text, c.text);
  }
}

}  // namespace
