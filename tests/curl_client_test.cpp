// The libcurl client against real local servers: what goes out, what comes back, and the
// phase each failure is reported in.
#include "platform/http/curl_client.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/local_http_server.h"
#include "support/test_tls.h"

namespace vorel::platform {
namespace {

using test::LocalHttpServer;
using test::Reply;

TEST(CurlClient, SendsExactlyTheGivenHeaderLinesAndReturnsTheFinalHeaderBlock) {
  LocalHttpServer server;
  server.Handle("/page", [](const test::ReceivedRequest&) {
    Reply reply;
    reply.headerLines = {"Content-Type: text/plain", "X-Two:  spaced "};
    reply.body = "hello";
    return reply;
  });
  HttpRequest request;
  request.url = server.url("/page?q=1");
  request.headerLines = {"X-First: 1", "accept-language: zh-cn", "X-Empty:"};
  const HttpResult result = CurlClient().Perform(request);

  EXPECT_EQ(result.failure, HttpFailure::None) << result.error;
  EXPECT_EQ(result.statusCode, 200);
  EXPECT_EQ(result.body, "hello");
  EXPECT_EQ(result.bodyBytes, 5u);
  EXPECT_EQ(result.contentLength, 5u);
  EXPECT_EQ(result.rawHeaders,
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nX-Two:  spaced \r\nContent-Length: 5\r\n\r\n");
  const auto received = server.requests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].method, "GET");
  EXPECT_EQ(received[0].target, "/page?q=1");
  EXPECT_EQ(received[0].version, "HTTP/1.1");
  // Host is curl's; nothing else of its own (no Accept, no User-Agent).
  EXPECT_EQ(received[0].headerLines,
            (std::vector<std::string>{"Host: 127.0.0.1:" + std::to_string(server.port()), "X-First: 1",
                                      "accept-language: zh-cn", "X-Empty:"}));
}

TEST(CurlClient, MethodBodyAgentVersionAndCredentials) {
  LocalHttpServer server;
  server.Handle("/", [](const test::ReceivedRequest&) { return Reply{}; });
  struct Case {
    std::string method;
    std::optional<std::string> body;
    HttpVersion version;
    std::string expectBody;
    std::optional<std::string> expectLength;
  } cases[] = {
      {"POST", std::string("a=1&b=2"), HttpVersion::Http11, "a=1&b=2", "7"},
      {"POST", std::nullopt, HttpVersion::Http11, "", "0"},
      {"GET", std::string("body with GET"), HttpVersion::Http10, "body with GET", "13"},
      {"PUT", std::string(2 * 1024 * 1024, 'x'), HttpVersion::Http11, std::string(2 * 1024 * 1024, 'x'),
       "2097152"},
      {"DELETE", std::nullopt, HttpVersion::Http11, "", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    server.ClearRequests();
    HttpRequest request;
    request.url = server.url("/");
    request.method = c.method;
    request.body = c.body;
    request.version = c.version;
    request.userAgent = "Agent/1.0";
    request.user = "user";
    request.password = "secret";
    const HttpResult result = CurlClient().Perform(request);
    EXPECT_EQ(result.failure, HttpFailure::None) << result.error;
    const auto received = server.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, c.method);
    EXPECT_EQ(received[0].version, c.version == HttpVersion::Http10 ? "HTTP/1.0" : "HTTP/1.1");
    EXPECT_EQ(received[0].body, c.expectBody);
    EXPECT_EQ(received[0].header("Content-Length"), c.expectLength);
    EXPECT_EQ(received[0].header("Content-Type"), std::nullopt);
    EXPECT_EQ(received[0].header("Expect"), std::nullopt);
    EXPECT_EQ(received[0].header("User-Agent"), "Agent/1.0");
    EXPECT_EQ(received[0].header("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
  }
}

TEST(CurlClient, RedirectsFollowedOrNot) {
  LocalHttpServer server;
  server.Handle("/from", [](const test::ReceivedRequest&) {
    Reply reply;
    reply.status = 302;
    reply.reason = "Found";
    reply.headerLines = {"Location: /to"};
    reply.body = "moved";
    return reply;
  });
  server.Handle("/to", [](const test::ReceivedRequest&) {
    Reply reply;
    reply.body = "target";
    return reply;
  });
  HttpRequest request;
  request.url = server.url("/from");
  CurlClient client;  // one client, two requests
  HttpResult followed = client.Perform(request);
  EXPECT_EQ(followed.failure, HttpFailure::None);
  EXPECT_EQ(followed.statusCode, 200);
  EXPECT_EQ(followed.body, "target");
  EXPECT_EQ(followed.rawHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n");

  request.followRedirects = false;
  HttpResult notFollowed = client.Perform(request);
  EXPECT_EQ(notFollowed.failure, HttpFailure::None);
  EXPECT_EQ(notFollowed.statusCode, 302);
  EXPECT_EQ(notFollowed.body, "moved");
  EXPECT_EQ(notFollowed.rawHeaders, "HTTP/1.1 302 Found\r\nLocation: /to\r\nContent-Length: 5\r\n\r\n");
}

TEST(CurlClient, FailuresComeBackAsTheirPhase) {
  LocalHttpServer server;
  server.Handle("/silent", [](const test::ReceivedRequest&) {
    Reply reply;
    reply.neverAnswer = true;
    return reply;
  });
  server.Handle("/cut", [](const test::ReceivedRequest&) {
    Reply reply;
    reply.body = std::string(100000, 'b');
    reply.closeAfter = 4000;
    return reply;
  });
  server.Handle("/stall", [](const test::ReceivedRequest&) {
    Reply reply;
    reply.body = "1234567890";
    reply.stallAfter = 5;
    return reply;
  });
  struct Case {
    std::string url;
    HttpFailure failure;
    std::uint64_t bodyBytes;
  } cases[] = {
      {"", HttpFailure::BadUrl, 0},
      {"ftp://127.0.0.1/x", HttpFailure::BadUrl, 0},
      {"http://", HttpFailure::BadUrl, 0},
      {"not a url", HttpFailure::BadUrl, 0},
      {"http://127.0.0.1:" + std::to_string(test::RefusedPort()) + "/", HttpFailure::NotSent, 0},
      {"http://no-such-host.invalid/", HttpFailure::NotSent, 0},
      {server.url("/silent"), HttpFailure::NoResponse, 0},
      {server.url("/cut"), HttpFailure::BodyBroken, 4000},
      {server.url("/stall"), HttpFailure::BodyBroken, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    HttpRequest request;
    request.url = c.url;
    request.responseTimeout = std::chrono::milliseconds(500);
    const HttpResult result = CurlClient().Perform(request);
    EXPECT_EQ(HttpFailureName(result.failure), std::string(HttpFailureName(c.failure))) << result.error;
    EXPECT_EQ(result.bodyBytes, c.bodyBytes);
    EXPECT_EQ(result.body.size(), c.bodyBytes);
  }
}

TEST(CurlClient, BodySinkReceivesTheBodyAndMayStopIt) {
  LocalHttpServer server;
  const std::string big(300000, 'z');
  server.Handle("/big", [&big](const test::ReceivedRequest&) {
    Reply reply;
    reply.body = big;
    return reply;
  });
  std::string collected;
  HttpRequest request;
  request.url = server.url("/big");
  request.bodySink = [&collected](std::string_view piece) {
    collected.append(piece);
    return true;
  };
  HttpResult result = CurlClient().Perform(request);
  EXPECT_EQ(result.failure, HttpFailure::None);
  EXPECT_EQ(collected, big);
  EXPECT_TRUE(result.body.empty());
  EXPECT_EQ(result.bodyBytes, big.size());

  request.bodySink = [](std::string_view) { return false; };
  result = CurlClient().Perform(request);
  EXPECT_EQ(result.failure, HttpFailure::Aborted);
}

TEST(CurlClient, WaitHookRunsWhileTheServerThinks) {
  LocalHttpServer server;
  server.Handle("/slow", [](const test::ReceivedRequest&) {
    Reply reply;
    reply.delay = std::chrono::milliseconds(300);
    reply.body = "late";
    return reply;
  });
  int calls = 0;
  HttpRequest request;
  request.url = server.url("/slow");
  request.waitHook = [&calls] { ++calls; };
  const HttpResult result = CurlClient().Perform(request);
  EXPECT_EQ(result.body, "late");
  EXPECT_GE(calls, 5);  // 300 ms at one call per 15 ms leaves a wide margin
}

class CurlClientTls : public testing::Test {
 protected:
  static void SetUpTestSuite() { tls_ = std::make_unique<test::TestTls>(); }
  static void TearDownTestSuite() { tls_.reset(); }
  static std::unique_ptr<test::TestTls> tls_;
};
std::unique_ptr<test::TestTls> CurlClientTls::tls_;

TEST_F(CurlClientTls, VerifiesCertificatesAgainstTheTrustFile) {
  ASSERT_TRUE(tls_->ok()) << tls_->log();
  test::ScopedTrustFile trust(tls_->caFile());
  struct Case {
    const char* name;
    test::CertificatePair pair;
    const char* host;
    HttpFailure failure;
  } cases[] = {
      {"trusted by IP", tls_->server(), "127.0.0.1", HttpFailure::None},
      {"trusted by name", tls_->server(), "localhost", HttpFailure::None},
      {"other name", tls_->otherName(), "127.0.0.1", HttpFailure::NotSent},
      {"expired", tls_->expired(), "127.0.0.1", HttpFailure::NotSent},
      {"unknown issuer", tls_->selfSigned(), "127.0.0.1", HttpFailure::NotSent},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LocalHttpServer server(LocalHttpServer::Tls{c.pair.certFile, c.pair.keyFile});
    ASSERT_TRUE(server.running());
    server.Handle("/", [](const test::ReceivedRequest&) {
      Reply reply;
      reply.body = "secret page";
      return reply;
    });
    HttpRequest request;
    request.url = server.url("/", c.host);
    const HttpResult result = CurlClient().Perform(request);
    EXPECT_EQ(HttpFailureName(result.failure), std::string(HttpFailureName(c.failure))) << result.error;
    EXPECT_EQ(result.body, c.failure == HttpFailure::None ? "secret page" : "");
    EXPECT_EQ(server.requests().size(), c.failure == HttpFailure::None ? 1u : 0u);
  }
}

TEST_F(CurlClientTls, WithoutTheTestAuthorityTheServerIsNotTrusted) {
  ASSERT_TRUE(tls_->ok()) << tls_->log();
  test::ScopedTrustFile trust("/etc/ssl/certs/ca-certificates.crt");
  LocalHttpServer server(LocalHttpServer::Tls{tls_->server().certFile, tls_->server().keyFile});
  HttpRequest request;
  request.url = server.url("/");
  EXPECT_EQ(CurlClient().Perform(request).failure, HttpFailure::NotSent);
}

}  // namespace
}  // namespace vorel::platform
