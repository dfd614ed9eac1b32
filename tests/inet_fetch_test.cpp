// InetFetch against real local servers: the header block and agent as received, bodies,
// redirects, whole response header blocks, cookies, and failures.
#include "http/inet_fetch.h"

#include <gtest/gtest.h>

#include "support/local_http_server.h"
#include "support/test_tls.h"
#include "text/events.h"

namespace vorel {
namespace {

using test::LocalHttpServer;
using test::ReceivedRequest;
using test::Reply;

const std::string kDefaultAgentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

Reply Page(std::string body, std::vector<std::string> headerLines = {}) {
  Reply reply;
  reply.body = std::move(body);
  reply.headerLines = std::move(headerLines);
  return reply;
}

ByteBuffer Bytes(std::string_view text) { return ByteBuffer(text.begin(), text.end()); }

std::vector<std::string> LinesWithout(const ReceivedRequest& request,
                                      std::initializer_list<const char*> names) {
  std::vector<std::string> lines;
  for (const auto& line : request.headerLines) {
    bool skip = false;
    for (const char* name : names) skip = skip || line.rfind(std::string(name) + ":", 0) == 0;
    if (!skip) lines.push_back(line);
  }
  return lines;
}

class InetFetchTest : public testing::Test {
 protected:
  void SetUp() override {
    server_.Handle("/", [](const ReceivedRequest&) { return Page("body"); });
  }
  LocalHttpServer server_;
};

TEST_F(InetFetchTest, DefaultRequestSendsTheBuiltBlockAndTheDefaultAgent) {
  const Text url = server_.url("/?q=1");
  Text extraHeaders;
  EXPECT_EQ(InetFetch(url, {.extraHeaders = &extraHeaders}), Bytes("body"));
  EXPECT_EQ(extraHeaders, "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn");
  const auto received = server_.requests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].method, "GET");
  EXPECT_EQ(received[0].target, "/?q=1");
  EXPECT_EQ(received[0].version, "HTTP/1.1");
  EXPECT_EQ(received[0].headerLines,
            (std::vector<std::string>{"Host: 127.0.0.1:" + std::to_string(server_.port()), kDefaultAgentLine,
                                      "Accept: */*", "Referer: " + url, "Accept-Language: zh-cn"}));
}

TEST_F(InetFetchTest, HeaderBlockAgentAndBody) {
  const Text url = server_.url("/");
  struct Case {
    const char* name;
    InetOptions options;
    Text extraHeaders;
    Text cookies;
    bool passCookies;
    ByteBuffer postBytes;
    Text sentBlock;  // written back to extraHeaders
    std::vector<std::string> lines;
    std::string method;
    std::string body;
    ByteBuffer postBytesAfter;
  } cases[] = {
      {"agent from a normalised extra line",
       {},
       "user-agent: X",
       "",
       false,
       {},
       "User-Agent: X\r\nAccept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn",
       {"User-Agent: X", "Accept: */*", "Referer: " + url, "Accept-Language: zh-cn"},
       "GET",
       "",
       {}},
      {"given headers are not repeated",
       {},
       "accept: text/html\r\nreferer: r\r\naccept-language: en",
       "",
       false,
       {},
       "Accept: text/html\r\nReferer: r\r\nAccept-Language: en",
       {kDefaultAgentLine, "Accept: text/html", "Referer: r", "Accept-Language: en"},
       "GET",
       "",
       {}},
      {"no defaults, no lines",
       {.addDefaultHeaders = false},
       "",
       "",
       false,
       {},
       "",
       {kDefaultAgentLine},
       "GET",
       "",
       {}},
      {"cookies line after the defaults",
       {.addDefaultHeaders = false},
       "X-A: 1",
       "a=1",
       true,
       {},
       "X-A: 1\r\nCookie: a=1",
       {kDefaultAgentLine, "X-A: 1", "Cookie: a=1"},
       "GET",
       "",
       {}},
      {"cookies in Cookie form",
       {.addDefaultHeaders = false},
       "",
       "Cookie: b=2",
       true,
       {},
       "\r\nCookie: b=2",
       {kDefaultAgentLine, "Cookie: b=2"},
       "GET",
       "",
       {}},
      {"POST sends postText and the form type",
       {.method = 1, .postText = "x=1"},
       "",
       "",
       false,
       {},
       "Accept: */*\r\nReferer: " + url +
           "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded",
       {kDefaultAgentLine, "Accept: */*", "Referer: " + url, "Accept-Language: zh-cn",
        "Content-Type: application/x-www-form-urlencoded"},
       "POST",
       "x=1",
       Bytes("x=1")},
      {"POST bytes win",
       {.method = 1, .postText = "ignored", .addDefaultHeaders = false},
       "",
       "",
       false,
       ByteBuffer{'a', 0, 'b'},
       "",
       {kDefaultAgentLine},
       "POST",
       std::string("a\0b", 3),
       ByteBuffer{'a', 0, 'b'}},
      {"method 9 is a GET without body",
       {.method = 9, .postText = "ignored", .addDefaultHeaders = false},
       "",
       "",
       false,
       {},
       "",
       {kDefaultAgentLine},
       "GET",
       "",
       {}},
      {"PUT",
       {.method = 3, .postText = "p", .addDefaultHeaders = false},
       "",
       "",
       false,
       {},
       "",
       {kDefaultAgentLine},
       "PUT",
       "p",
       Bytes("p")},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.ClearRequests();
    InetOptions options = c.options;
    Text extraHeaders = c.extraHeaders;
    Text cookies = c.cookies;
    ByteBuffer postBytes = c.postBytes;
    options.extraHeaders = &extraHeaders;
    options.postBytes = &postBytes;
    if (c.passCookies) options.cookies = &cookies;
    EXPECT_EQ(InetFetch(url, options), Bytes("body"));
    EXPECT_EQ(extraHeaders, c.sentBlock);
    EXPECT_EQ(postBytes, c.postBytesAfter);
    const auto received = server_.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, c.method);
    EXPECT_EQ(received[0].body, c.body);
    EXPECT_EQ(LinesWithout(received[0], {"Host", "Content-Length"}), c.lines);
  }
}

TEST_F(InetFetchTest, RedirectsAndWholeResponseHeaderBlocks) {
  server_.Handle("/from", [](const ReceivedRequest&) {
    Reply reply = Page("moved", {"Location: /to"});
    reply.status = 302;
    reply.reason = "Found";
    return reply;
  });
  server_.Handle("/to", [](const ReceivedRequest&) { return Page("arrived"); });
  std::vector<std::string> manyLines;
  std::string expectedBig = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 120; ++i) {
    manyLines.push_back("X-Filler-" + std::to_string(i) + ": " + std::string(80, 'f'));
    expectedBig += manyLines.back() + "\r\n";
  }
  expectedBig += "Content-Length: 3\r\n\r\n";
  server_.Handle("/big", [manyLines](const ReceivedRequest&) { return Page("big", manyLines); });

  Text headers;
  EXPECT_EQ(InetFetch(server_.url("/from"), {.responseHeaders = &headers, .noRedirect = true}),
            Bytes("moved"));
  EXPECT_EQ(headers, "HTTP/1.1 302 Found\r\nLocation: /to\r\nContent-Length: 5\r\n\r\n");
  EXPECT_EQ(InetFetch(server_.url("/from"), {.responseHeaders = &headers}), Bytes("arrived"));
  EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n");
  EXPECT_EQ(InetFetch(server_.url("/big"), {.responseHeaders = &headers}), Bytes("big"));
  EXPECT_GT(headers.size(), 10000u);
  EXPECT_EQ(headers, expectedBig);
}

TEST_F(InetFetchTest, CookiesCollectedAndMergedWhenPassed) {
  server_.Handle("/cookies", [](const ReceivedRequest&) {
    return Page("c", {"Set-Cookie: sid=x; path=/", "Set-Cookie: t=1", "X-Set-Cookie: no=1"});
  });
  const Text url = server_.url("/cookies");
  {
    Text newCookies = "stale";
    InetFetch(url, {.newCookies = &newCookies});
    EXPECT_EQ(newCookies, "sid=x; t=1");
  }
  {
    Text cookies, newCookies;  // passed even though empty: merged all the same
    InetFetch(url, {.cookies = &cookies, .newCookies = &newCookies});
    EXPECT_EQ(cookies, "sid=x; t=1");
    EXPECT_EQ(newCookies, "sid=x; t=1");
  }
  {
    Text cookies = "t=0; old=1", newCookies;
    InetFetch(url, {.cookies = &cookies, .newCookies = &newCookies});
    EXPECT_EQ(server_.requests().back().header("Cookie"), "t=0; old=1");
    EXPECT_EQ(cookies, "sid=x; t=1; old=1");
    EXPECT_EQ(newCookies, "sid=x; t=1; old=1");
  }
  {
    Text cookies = "t=0", newCookies;
    InetFetch(url, {.cookies = &cookies, .newCookies = &newCookies, .mergeCookies = false});
    EXPECT_EQ(cookies, "t=0");
    EXPECT_EQ(newCookies, "sid=x; t=1");
  }
}

int eventCalls = 0;

TEST_F(InetFetchTest, FailuresGiveAnEmptyBodyAndNoWindowEventsRun) {
  server_.Handle("/cut", [](const ReceivedRequest&) {
    Reply reply = Page(std::string(50000, 'c'));
    reply.closeAfter = 2000;
    return reply;
  });
  eventCalls = 0;
  SetProcessEventsHook([] { ++eventCalls; });
  {
    Text headers = "before";
    EXPECT_EQ(InetFetch("", {.responseHeaders = &headers}), ByteBuffer());
    EXPECT_EQ(headers, "before");  // nothing could be opened: outputs untouched
  }
  {
    Text headers = "before";
    EXPECT_EQ(InetFetch("http://127.0.0.1:" + std::to_string(test::RefusedPort()) + "/",
                        {.responseHeaders = &headers}),
              ByteBuffer());
    EXPECT_EQ(headers, "");  // sent nowhere: no header block came back
  }
  EXPECT_EQ(InetFetch(server_.url("/cut")), ByteBuffer(2000, 'c'));  // the bytes read before the break
  SetProcessEventsHook(nullptr);
  EXPECT_EQ(eventCalls, 0);
}

int nonInputCalls = 0;

TEST_F(InetFetchTest, OnlyNonInputEventsRunWhileItWaits) {
  server_.Handle("/slow", [](const ReceivedRequest&) {
    Reply reply = Page("late");
    reply.delay = std::chrono::milliseconds(300);
    return reply;
  });
  eventCalls = 0;
  nonInputCalls = 0;
  SetProcessEventsHook([] { ++eventCalls; });
  SetProcessNonInputEventsHook([] { ++nonInputCalls; });
  EXPECT_EQ(InetFetch(server_.url("/slow")), Bytes("late"));
  SetProcessNonInputEventsHook(nullptr);
  SetProcessEventsHook(nullptr);
  EXPECT_EQ(eventCalls, 0);
  EXPECT_GT(nonInputCalls, 0);
}

TEST(InetFetchTls, UnverifiableCertificateGivesNothing) {
  test::TestTls tls;
  ASSERT_TRUE(tls.ok()) << tls.log();
  test::ScopedTrustFile trust(tls.caFile());
  LocalHttpServer trusted(LocalHttpServer::Tls{tls.server().certFile, tls.server().keyFile});
  LocalHttpServer untrusted(LocalHttpServer::Tls{tls.selfSigned().certFile, tls.selfSigned().keyFile});
  for (LocalHttpServer* server : {&trusted, &untrusted}) {
    server->Handle("/", [](const ReceivedRequest&) { return Page("secure"); });
  }
  Text headers;
  EXPECT_EQ(InetFetch(trusted.url("/"), {.responseHeaders = &headers}), Bytes("secure"));
  EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n");
  EXPECT_EQ(InetFetch(untrusted.url("/"), {.responseHeaders = &headers}), ByteBuffer());
  EXPECT_EQ(headers, "");
  EXPECT_TRUE(untrusted.requests().empty());
}

}  // namespace
}  // namespace vorel
