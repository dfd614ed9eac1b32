// WinHttpFetch against real local servers: the request as the server receives it, the
// outputs, the charset step, and the numbered failure messages.
#include "http/win_http_fetch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <memory>

#include "support/local_http_server.h"
#include "support/test_tls.h"
#include "text/events.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

using test::LocalHttpServer;
using test::ReceivedRequest;
using test::Reply;

const std::string kAgentLine =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
const std::string kAcceptLine = "Accept: text/html, application/xhtml+xml, */*";
const std::string kEncodingLine = "Accept-Encoding: gbk, GB2312";
const std::string kLanguageLine = "Accept-Language: zh-cn";
const std::string kFormLine = "Content-Type: application/x-www-form-urlencoded";
const std::string kCacheLine = "Cache-Control: no-cache";

Reply Page(std::string body, std::vector<std::string> headerLines = {}) {
  Reply reply;
  reply.body = std::move(body);
  reply.headerLines = std::move(headerLines);
  return reply;
}

// The received header lines after curl's own Host line.
std::vector<std::string> LinesAfterHost(const ReceivedRequest& request) {
  std::vector<std::string> lines = request.headerLines;
  if (!lines.empty() && lines.front().rfind("Host: ", 0) == 0) lines.erase(lines.begin());
  return lines;
}

class WinHttpFetchTest : public testing::Test {
 protected:
  void SetUp() override {
    server_.Handle("/", [](const ReceivedRequest&) { return Page("ok"); });
  }
  LocalHttpServer server_;
};

TEST_F(WinHttpFetchTest, PlainGetSendsTheDefaultHeadersInTheirOrder) {
  Text message, responseHeaders;
  ByteBuffer responseBytes;
  const Text text = WinHttpFetch(
      server_.url("/"),
      {.responseHeaders = &responseHeaders, .message = &message, .responseBytes = &responseBytes});
  EXPECT_EQ(text, "ok");
  EXPECT_EQ(message, "200 OK");
  EXPECT_EQ(responseHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n");
  EXPECT_EQ(responseBytes, (ByteBuffer{'o', 'k'}));
  const auto received = server_.requests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].method, "GET");
  EXPECT_EQ(received[0].version, "HTTP/1.1");
  EXPECT_EQ(received[0].headerLines.front(), "Host: 127.0.0.1:" + std::to_string(server_.port()));
  EXPECT_EQ(LinesAfterHost(received[0]),
            (std::vector<std::string>{kAgentLine, kAcceptLine, kEncodingLine, kLanguageLine, kCacheLine}));
}

TEST_F(WinHttpFetchTest, HeaderBlockRules) {
  struct Case {
    const char* name;
    WinHttpOptions options;
    Text cookies;
    std::string method;
    std::vector<std::string> lines;
  } cases[] = {
      {"extra lines normalised, defaults that are missing follow",
       {.method = 1, .extraHeaders = "content-type: text/plain\r\nx-a:1"},
       "",
       "POST",
       {"Content-Type: text/plain", "X-A:1", kAgentLine, kAcceptLine, kEncodingLine, kLanguageLine,
        kCacheLine}},
      {"POST adds the form type before Cache-Control",
       {.method = 1},
       "",
       "POST",
       {kAgentLine, kAcceptLine, kEncodingLine, kLanguageLine, kFormLine, kCacheLine}},
      {"a given header suppresses its default",
       {.extraHeaders = "User-Agent: Own/1\r\naccept-language: en"},
       "",
       "GET",
       {"User-Agent: Own/1", "Accept-Language: en", kAcceptLine, kEncodingLine, kCacheLine}},
      {"without defaults only the caller's lines",
       {.extraHeaders = "x-a:1", .addDefaultHeaders = false},
       "",
       "GET",
       {"X-A:1"}},
      {"names left alone when not normalising",
       {.extraHeaders = "x-a:1", .addDefaultHeaders = false, .normalizeHeaderNames = false},
       "",
       "GET",
       {"x-a:1"}},
      {"keep-alive followed by another line is removed",
       {.extraHeaders = "Connection: keep-alive\r\nX-B: 2", .addDefaultHeaders = false},
       "",
       "GET",
       {"X-B: 2"}},
      {"keep-alive ending the block stays",
       {.extraHeaders = "X-B: 2\r\nConnection: keep-alive", .addDefaultHeaders = false},
       "",
       "GET",
       {"X-B: 2", "Connection: keep-alive"}},
      {"cookies become a Cookie line", {.addDefaultHeaders = false}, "a=1", "GET", {"Cookie: a=1"}},
      {"cookies already in Cookie form go as they are",
       {.addDefaultHeaders = false},
       "Cookie: a=1",
       "GET",
       {"Cookie: a=1"}},
      {"the caller's own Cookie line wins",
       {.extraHeaders = "cookie: z=9", .addDefaultHeaders = false},
       "a=1",
       "GET",
       {"Cookie: z=9"}},
      {"method 8 is GET", {.method = 8, .addDefaultHeaders = false}, "", "GET", {}},
      {"method -1 is GET", {.method = -1, .addDefaultHeaders = false}, "", "GET", {}},
      {"method 2 is HEAD", {.method = 2, .addDefaultHeaders = false}, "", "HEAD", {}},
      {"method 5 is DELETE", {.method = 5, .addDefaultHeaders = false}, "", "DELETE", {}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.ClearRequests();
    Text cookies = c.cookies;
    WinHttpOptions options = c.options;
    options.cookies = &cookies;
    Text message;
    options.message = &message;
    WinHttpFetch(server_.url("/"), options);
    EXPECT_EQ(message, "200 OK");
    const auto received = server_.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, c.method);
    auto lines = LinesAfterHost(received[0]);
    std::erase_if(lines, [](const std::string& line) { return line.rfind("Content-Length:", 0) == 0; });
    EXPECT_EQ(lines, c.lines);
  }
}

TEST_F(WinHttpFetchTest, BodyGoesOutWithWhateverMethod) {
  struct Case {
    const char* name;
    WinHttpOptions options;
    std::string method;
    std::string body;
  } cases[] = {
      {"form post", {.method = 1, .postText = "a=1&b=2"}, "POST", "a=1&b=2"},
      {"bytes win over text",
       {.method = 1, .postText = "ignored", .postBytes = ByteBuffer{'x', 0, 'y'}},
       "POST",
       std::string("x\0y", 3)},
      {"empty bytes fall back to text",
       {.method = 3, .postText = "put me", .postBytes = ByteBuffer{}},
       "PUT",
       "put me"},
      {"a body with GET", {.postText = "q"}, "GET", "q"},
      {"POST without a body", {.method = 1}, "POST", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.ClearRequests();
    EXPECT_EQ(WinHttpFetch(server_.url("/"), c.options), "ok");
    const auto received = server_.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, c.method);
    EXPECT_EQ(received[0].body, c.body);
    EXPECT_EQ(received[0].header("Content-Length"), std::to_string(c.body.size()));
  }
}

TEST_F(WinHttpFetchTest, ReceivedCookiesAreCollectedAndMerged) {
  server_.Handle("/cookies", [](const ReceivedRequest&) {
    return Page("c", {"Set-Cookie: sid=x; path=/", "Set-Cookie: t=1", "set-cookie: ignored=1"});
  });
  {
    Text newCookies;
    WinHttpFetch(server_.url("/cookies"), {.newCookies = &newCookies});
    EXPECT_EQ(newCookies, "sid=x; t=1");
  }
  {
    Text newCookies = "k=v; ";  // the response's cookies are appended to the caller's
    WinHttpFetch(server_.url("/cookies"), {.newCookies = &newCookies});
    EXPECT_EQ(newCookies, "k=v; sid=x; t=1");
  }
  {
    Text cookies = "a=1; sid=old";
    Text newCookies;
    WinHttpFetch(server_.url("/cookies"), {.cookies = &cookies, .newCookies = &newCookies});
    EXPECT_EQ(newCookies, "sid=x; t=1; a=1");
    EXPECT_EQ(cookies, "sid=x; t=1; a=1");
    EXPECT_EQ(server_.requests().back().header("Cookie"), "a=1; sid=old");
  }
  {
    Text cookies = "a=1";
    Text newCookies;
    WinHttpFetch(server_.url("/cookies"),
                 {.cookies = &cookies, .newCookies = &newCookies, .mergeCookies = false});
    EXPECT_EQ(newCookies, "sid=x; t=1");
    EXPECT_EQ(cookies, "a=1");
  }
}

TEST_F(WinHttpFetchTest, RedirectsFollowedOrReported) {
  server_.Handle("/from", [](const ReceivedRequest&) {
    Reply reply = Page("moved", {"Location: /to", "Content-Location: /elsewhere"});
    reply.status = 302;
    reply.reason = "Found";
    return reply;
  });
  server_.Handle("/to", [](const ReceivedRequest&) { return Page("arrived"); });

  Text location = "untouched", message, headers;
  EXPECT_EQ(WinHttpFetch(server_.url("/from"), {.location = &location, .message = &message}), "arrived");
  EXPECT_EQ(location, "untouched");  // the final response names no Location
  EXPECT_EQ(message, "200 OK");

  EXPECT_EQ(
      WinHttpFetch(
          server_.url("/from"),
          {.responseHeaders = &headers, .noRedirect = true, .location = &location, .message = &message}),
      "moved");
  EXPECT_EQ(location, "/to");
  EXPECT_EQ(message, "302 Found");
  EXPECT_NE(headers.find("\r\nLocation: /to\r\n"), std::string::npos);
}

TEST_F(WinHttpFetchTest, CredentialsAndProxy) {
  Text message;
  WinHttpFetch(server_.url("/"), {.user = "user", .password = "secret"});
  EXPECT_EQ(server_.requests().back().header("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
  WinHttpFetch(server_.url("/"), {.user = "user"});  // a user without a password sends nothing
  EXPECT_EQ(server_.requests().back().header("Authorization"), std::nullopt);

  // The local server plays the proxy: it receives the absolute URL.
  server_.Handle("http://site.invalid/page", [](const ReceivedRequest&) { return Page("via proxy"); });
  const Text proxy = "127.0.0.1:" + std::to_string(server_.port());
  EXPECT_EQ(WinHttpFetch("http://site.invalid/page",
                         {.proxy = proxy, .proxyUser = "pu", .proxyPassword = "pp", .message = &message}),
            "via proxy");
  EXPECT_EQ(message, "200 OK");
  EXPECT_EQ(server_.requests().back().target, "http://site.invalid/page");
  EXPECT_EQ(server_.requests().back().header("Proxy-Authorization"), "Basic cHU6cHA=");
}

TEST_F(WinHttpFetchTest, DeclaredCharsetReDecodesThePage) {
  const std::string utf8Song = "百花香";
  const Text cp936Song = FromUtf8("百花香");
  const std::string padding(1100, ' ');
  struct Case {
    const char* name;
    std::string page;
    Text expected;
  } cases[] = {
      {"utf-8", "<html><meta charset=\"utf-8\"><p>" + utf8Song + "</p>",
       "<html><meta charset=\"utf-8\"><p>" + cp936Song + "</p>"},
      {"UTF-8 with http-equiv",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">" + utf8Song,
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">" + cp936Song},
      {"gbk left as read", "<meta charset=\"gbk\">" + cp936Song + "\xFF\xFF",
       "<meta charset=\"gbk\">" + cp936Song + "\xFF\xFF"},
      {"gb2312 left as read", "<meta charset=gb2312>\xFF\xFF", "<meta charset=gb2312>\xFF\xFF"},
      {"GBK in capitals is decoded", "<meta charset=GBK>" + cp936Song + "\xFF\xFF",
       "<meta charset=GBK>" + cp936Song + "??"},
      {"windows-1252 euro and e-acute", "<meta charset=windows-1252>\x80 caf\xE9",
       "<meta charset=windows-1252>\x80 caf" + FromUtf8("é")},
      {"unknown charset left as read", "<meta charset=x-no-such-set>" + utf8Song,
       "<meta charset=x-no-such-set>" + utf8Song},
      {"declaration after byte 1024 unseen", padding + "<meta charset=\"utf-8\">" + utf8Song,
       padding + "<meta charset=\"utf-8\">" + utf8Song},
      {"invalid utf-8 bytes become ?", "<meta charset=utf-8>a\xC3(b", "<meta charset=utf-8>a?(b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.Handle("/page", [page = c.page](const ReceivedRequest&) { return Page(page); });
    ByteBuffer bytes;
    EXPECT_EQ(WinHttpFetch(server_.url("/page"), {.responseBytes = &bytes}), c.expected);
    EXPECT_EQ(bytes, ByteBuffer(c.page.begin(), c.page.end()));
  }
}

TEST_F(WinHttpFetchTest, TextEndsAtTheFirstZeroByteButTheBytesAreWhole) {
  const std::string page("abc\0def", 7);
  server_.Handle("/zero", [page](const ReceivedRequest&) { return Page(page); });
  ByteBuffer bytes;
  EXPECT_EQ(WinHttpFetch(server_.url("/zero"), {.responseBytes = &bytes}), "abc");
  EXPECT_EQ(bytes.size(), 7u);
}

TEST_F(WinHttpFetchTest, FailureMessages) {
  server_.Handle("/silent", [](const ReceivedRequest&) {
    Reply reply;
    reply.neverAnswer = true;
    return reply;
  });
  struct Case {
    std::string url;
    Text message;
  } cases[] = {
      {"", FromUtf8("701 解析URL地址失败!")},
      {"ftp://127.0.0.1/file", FromUtf8("701 解析URL地址失败!")},
      {"http://", FromUtf8("701 解析URL地址失败!")},
      {"http://127.0.0.1:" + std::to_string(test::RefusedPort()) + "/", FromUtf8("711 发送请求失败!")},
      {"http://no-such-host.invalid/", FromUtf8("711 发送请求失败!")},
      {server_.url("/silent"), FromUtf8("712 服务器未响应!")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    Text message = "before", headers = "before";
    ByteBuffer bytes{'x'};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(
        WinHttpFetch(
            c.url,
            {.responseHeaders = &headers, .timeoutSeconds = 1, .message = &message, .responseBytes = &bytes}),
        "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(headers, "before");  // outputs of a failed request stay as they were
    EXPECT_EQ(bytes, ByteBuffer{'x'});
  }
}

TEST_F(WinHttpFetchTest, BodyCutShortIsReturnedAsFarAsItCame) {
  server_.Handle("/cut", [](const ReceivedRequest&) {
    Reply reply = Page(std::string(100000, 'b'));
    reply.closeAfter = 4000;
    return reply;
  });
  server_.Handle("/stall", [](const ReceivedRequest&) {
    Reply reply = Page(std::string(100000, 's'));
    reply.stallAfter = 3000;
    return reply;
  });
  struct Case {
    const char* path;
    std::string body;
  } cases[] = {{"/cut", std::string(4000, 'b')}, {"/stall", std::string(3000, 's')}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Text message, headers;
    ByteBuffer bytes;
    EXPECT_EQ(
        WinHttpFetch(
            server_.url(c.path),
            {.responseHeaders = &headers, .timeoutSeconds = 1, .message = &message, .responseBytes = &bytes}),
        c.body);
    EXPECT_EQ(message, FromUtf8("713 读取数据失败!"));
    EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
    EXPECT_EQ(bytes.size(), c.body.size());
  }
}

TEST(WinHttpFetchTls, CertificatesAreVerified) {
  test::TestTls tls;
  ASSERT_TRUE(tls.ok()) << tls.log();
  test::ScopedTrustFile trust(tls.caFile());
  struct Case {
    const char* name;
    test::CertificatePair pair;
    Text result;
    Text message;
  } cases[] = {
      {"trusted", tls.server(), "secure page", "200 OK"},
      {"unknown issuer", tls.selfSigned(), "", FromUtf8("711 发送请求失败!")},
      {"wrong name", tls.otherName(), "", FromUtf8("711 发送请求失败!")},
      {"expired", tls.expired(), "", FromUtf8("711 发送请求失败!")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LocalHttpServer server(LocalHttpServer::Tls{c.pair.certFile, c.pair.keyFile});
    server.Handle("/", [](const ReceivedRequest&) { return Page("secure page"); });
    Text message;
    EXPECT_EQ(WinHttpFetch(server.url("/", "localhost"), {.message = &message}), c.result);
    EXPECT_EQ(message, c.message);
  }
}

// Counts the calls of the event hook; the hook is a plain function.
int eventCalls = 0;
bool fetching = false;
bool timerFiredDuringFetch = false;

TEST_F(WinHttpFetchTest, WindowEventsRunWhileTheRequestWaits) {
  server_.Handle("/slow", [](const ReceivedRequest&) {
    Reply reply = Page("slow page", {"X-One: 1", "X-Two: 2"});
    reply.delay = std::chrono::milliseconds(400);
    return reply;
  });
  eventCalls = 0;
  SetProcessEventsHook([] {
    ++eventCalls;
    QCoreApplication::processEvents();
  });
  QTimer::singleShot(50, [] { timerFiredDuringFetch = fetching; });
  fetching = true;
  const Text text = WinHttpFetch(server_.url("/slow"));
  fetching = false;
  SetProcessEventsHook(nullptr);
  EXPECT_EQ(text, "slow page");
  EXPECT_TRUE(timerFiredDuringFetch);
  // Nine at the exit and one per header line, plus those of the 400 ms wait.
  EXPECT_GE(eventCalls, 9 + 4 + 10);
}

}  // namespace
}  // namespace vorel
