// ResolveRedirect against a real local server.
#include "http/resolve_redirect.h"

#include <gtest/gtest.h>

#include "support/local_http_server.h"
#include "support/test_tls.h"

namespace vorel {
namespace {

using test::LocalHttpServer;
using test::ReceivedRequest;
using test::Reply;

Reply Redirect(std::vector<std::string> headerLines, int status = 302) {
  Reply reply;
  reply.status = status;
  reply.reason = status == 302 ? "Found" : "OK";
  reply.headerLines = std::move(headerLines);
  reply.body = "body";
  return reply;
}

TEST(ResolveRedirect, GivesTheLocationOrTheLinkItself) {
  LocalHttpServer server;
  std::vector<std::string> filler;
  for (int i = 0; i < 80; ++i)
    filler.push_back("X-Filler-" + std::to_string(i) + ": " + std::string(90, 'f'));
  std::vector<std::string> bigBlock = filler;
  bigBlock.push_back("Location: https://media.invalid/after-a-big-block.mp3");
  struct Case {
    const char* path;
    std::vector<std::string> headerLines;
    int status;
    std::string expected;  // empty: the link itself
  } cases[] = {
      {"/plain", {"Location: https://media.invalid/a%20b.mp3"}, 302, "https://media.invalid/a%20b.mp3"},
      {"/lower", {"location:    /relative/x.flac"}, 302, "/relative/x.flac"},
      {"/first", {"Location: /one", "Location: /two"}, 302, "/one"},
      {"/content-location", {"Content-Location: /content", "Location: /real"}, 302, "/content"},
      {"/direct", {"Content-Type: audio/mpeg"}, 200, ""},
      {"/big", bigBlock, 302, "https://media.invalid/after-a-big-block.mp3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    server.Handle(c.path, [&c](const ReceivedRequest&) { return Redirect(c.headerLines, c.status); });
    server.ClearRequests();
    const Text link = server.url(c.path);
    EXPECT_EQ(ResolveRedirect(link), c.expected.empty() ? link : c.expected);
    const auto received = server.requests();
    ASSERT_EQ(received.size(), 1u);  // asked once, the redirect not followed
    EXPECT_EQ(received[0].header("Referer"), link);
  }
}

TEST(ResolveRedirect, FailuresGiveTheLinkAndEmptyGivesEmpty) {
  EXPECT_EQ(ResolveRedirect(""), "");
  const Text refused = "http://127.0.0.1:" + std::to_string(test::RefusedPort()) + "/song/1";
  EXPECT_EQ(ResolveRedirect(refused), refused);

  test::TestTls tls;
  ASSERT_TRUE(tls.ok()) << tls.log();
  test::ScopedTrustFile trust(tls.caFile());
  for (const auto& pair : {tls.server(), tls.selfSigned()}) {
    LocalHttpServer server(LocalHttpServer::Tls{pair.certFile, pair.keyFile});
    server.Handle("/song",
                  [](const ReceivedRequest&) { return Redirect({"Location: https://media.invalid/s.mp3"}); });
    const Text link = server.url("/song");
    const bool trusted = pair.certFile == tls.server().certFile;
    EXPECT_EQ(ResolveRedirect(link), trusted ? "https://media.invalid/s.mp3" : link);
  }
}

}  // namespace
}  // namespace vorel
