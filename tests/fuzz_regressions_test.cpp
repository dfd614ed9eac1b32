// Cases the fuzz targets found: response header blocks whose values must not carry a
// line break or a dangling cookie separator into what is shown or sent on.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "http/inet_fetch.h"
#include "http/response_headers.h"
#include "http/win_http_fetch.h"
#include "support/local_http_server.h"
#include "text/regexp_object.h"

namespace vorel {
namespace {

using test::LocalHttpServer;
using test::ReceivedRequest;
using test::Reply;

TEST(ResponseHeadersTest, ValuesEndAtLineBreaksAndCarryNoEmptyCookie) {
  struct Case {
    const char* name;
    Text headers;
    Text status;
    Text cookies;
    std::optional<Text> location;
  };
  const Case cases[] = {
      {"plain", "HTTP/1.1 302 Found\r\nLocation: /to\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n",
       "302 Found", "a=1; b=2", "/to"},
      {"last location wins, any case", "HTTP/1.1 301 Moved\r\nlocation: /one\r\nLOCATION: /two\r\n\r\n",
       "301 Moved", "", "/two"},
      {"empty cookie value last", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: ; path=/\r\n\r\n",
       "200 OK", "a=1", std::nullopt},
      {"empty cookie value only", "HTTP/1.1 200 OK\r\nSet-Cookie:  \r\n\r\n", "200 OK", "", std::nullopt},
      {"bare LF after the location", "HTTP/1.1 302 Found\r\nLocation: /to\nSet-Cookie: evil=1\r\n\r\n",
       "302 Found", "", "/to"},
      {"bare CR inside a cookie", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\rX-Injected: 1\r\n\r\n", "200 OK",
       "a=1", std::nullopt},
      {"status line shorter than its code", "HTTP/1.1\r\nX: y\r\n\r\n", "", "", std::nullopt},
      {"status line ends in a bare LF", "HTTP/1.1 200 OK\nX: y\r\n\r\n", "200 OK", "", std::nullopt},
      {"no block", "", "", "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ResponseStatusText(c.headers), c.status);
    EXPECT_EQ(AppendSetCookies(Text(), c.headers), c.cookies);
    EXPECT_EQ(LastLocation(c.headers), c.location);
  }
  // Earlier cookies stay in front; their own trailing separator goes.
  EXPECT_EQ(AppendSetCookies("k=v; ", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n"), "k=v; a=1");
  EXPECT_EQ(AppendSetCookies("k=v; ", "HTTP/1.1 200 OK\r\nSet-Cookie: ;\r\n\r\n"), "k=v");
}

// A server that ends a header line with a bare LF: curl accepts the head, and what follows
// the LF must not ride along in the location or in the cookies sent with the next request.
TEST(ResponseHeadersTest, BareLineFeedsFromARealServerStayOutOfValues) {
  LocalHttpServer server;
  ASSERT_TRUE(server.running());
  server.Handle("/moved", [](const ReceivedRequest&) {
    Reply reply;
    reply.raw =
        "HTTP/1.1 302 Found\r\nLocation: /to\nX-After: 1\r\nSet-Cookie: sid=1\nX-Injected: yes\r\n"
        "Set-Cookie: ; path=/\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    return reply;
  });

  Text location;
  Text message;
  Text newCookies;
  WinHttpFetch(server.url("/moved"),
               {.newCookies = &newCookies, .noRedirect = true, .location = &location, .message = &message});
  EXPECT_EQ(location, "/to");
  EXPECT_EQ(message, "302 Found");
  EXPECT_EQ(newCookies, "sid=1");

  Text inetCookies;
  InetFetch(server.url("/moved"), {.newCookies = &inetCookies, .noRedirect = true});
  EXPECT_EQ(inetCookies, "sid=1");
}

// A comment group after a possessive quantifier never finished compiling; comment groups
// are refused, while the same characters stay usable escaped or inside a class.
TEST(RegExpPatternTest, CommentGroupsAreRefusedAndEverythingElseCompiles) {
  struct Case {
    const char* pattern;
    const char* subject;
    bool executes;
    int matches;
  };
  const Case cases[] = {
      {"a?+(?#)b", "ab", false, 0}, {"(?#note)x", "x", false, 0}, {"\\(?#", "(#", true, 1},
      {"[(?#]+", "(?#", true, 1},   {"a?+b", "ab", true, 1},
  };
  for (const auto& c : cases) {
    RegExpObject regExp;
    EXPECT_EQ(regExp.CreateAndExecute(c.pattern, c.subject), c.executes) << c.pattern;
    EXPECT_EQ(regExp.MatchCount(), c.matches) << c.pattern;
  }
}

}  // namespace
}  // namespace vorel
