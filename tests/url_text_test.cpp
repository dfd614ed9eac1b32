#include "http/url_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using vorel::Text;
using vorel::UrlHost;
using vorel::UrlPath;
using vorel::UrlPort;

struct UrlCase {
  Text url;
  Text host;          // UrlHost without options
  Text hostWithPort;  // UrlHost with keepPort
  int port;
  Text path;
};

const UrlCase kUrls[] = {
    {"HTTPS://Shop.Example.com:8443/a/b", "shop.example.com", "shop.example.com:8443", 8443, "/a/b"},
    {"example.com/x", "example.com", "example.com", 80, "/x"},
    {"Https://secure.example.com/", "secure.example.com", "secure.example.com", 443, "/"},
    {"http://example.com", "example.com", "example.com", 80, "/"},
    // A query right after the host belongs to the host; the path is "/".
    {"example.com?q=1", "example.com?q=1", "example.com?q=1", 80, "/"},
    {"http://x:ab/", "x", "x:ab", 0, "/"},
    {"http://127.0.0.1:8080/Music/A.mp3?Key=V", "127.0.0.1", "127.0.0.1:8080", 8080, "/Music/A.mp3?Key=V"},
    // Path, query and fragment keep their letter case.
    {"HTTP://Host.COM/Path/File?Q=Ab#Frag", "host.com", "host.com", 80, "/Path/File?Q=Ab#Frag"},
    // An empty port means the scheme's default.
    {"https://example.com:/x", "example.com", "example.com:", 443, "/x"},
    // Only http and https are read as schemes: ftp:// counts as a host "ftp:" on port 80.
    {"ftp://files.example.com/f", "ftp", "ftp:", 80, "//files.example.com/f"},
    // A host that also appears inside the scheme is searched for after the scheme.
    {"http://t/x", "t", "t", 80, "/x"},
    {"https://p:81/q", "p", "p:81", 81, "/q"},
    // The first "http://" anywhere names the host when the URL does not start with https.
    {"go?to=http://b.example.com/z", "b.example.com", "b.example.com", 80, "/z"},
    {"https://a.example.com/?to=http://b.example.com/", "a.example.com", "a.example.com", 443,
     "/?to=http://b.example.com/"},
    {"", "", "", 80, "/"},
};

TEST(UrlText, HostPortAndPath) {
  for (const UrlCase& c : kUrls) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(UrlHost(c.url), c.host);
    EXPECT_EQ(UrlHost(c.url, false, true), c.hostWithPort);
    EXPECT_EQ(UrlPort(c.url), c.port);
    EXPECT_EQ(UrlPath(c.url), c.path);
  }
}

struct HostCase {
  Text url;
  bool reduceToDomain;
  bool keepPort;
  std::optional<int> labelCount;
  Text host;
};

const HostCase kHosts[] = {
    // The last two labels; a port travels with the last label until it is dropped.
    {"http://a.b.Example.com:81/x", true, false, std::nullopt, "example.com"},
    {"http://a.b.example.com:81/x", true, true, std::nullopt, "example.com:81"},
    {"http://localhost/x", true, false, std::nullopt, "localhost"},
    // Counting labels from the end.
    {"a.b.example.com", true, false, 1, "example.com"},
    {"a.b.example.com", false, false, 1, "b.example.com"},
    {"https://a.b.example.com:8443/p", false, true, 1, "b.example.com:8443"},
    {"https://a.b.example.com:8443/p", false, false, 1, "b.example.com"},
    {"http://example.com/p", false, false, 1, "example.com"},
    {"http://example.com/p", true, false, 1, "example.com"},
    {"http://w.x.y.z.example.com/", false, false, 2, "y.z.example.com"},
    {"http://w.x.y.z.example.com/", true, false, 2, "z.example.com"},
    {"http://x.example.com/", false, false, 5, "x.example.com"},
};

TEST(UrlText, DomainReductionAndLabelCounting) {
  for (const HostCase& c : kHosts) {
    SCOPED_TRACE(c.url + (c.labelCount ? " labels " + std::to_string(*c.labelCount) : Text()));
    EXPECT_EQ(UrlHost(c.url, c.reduceToDomain, c.keepPort, c.labelCount), c.host);
  }
}

TEST(UrlText, TwoByteCharactersInThePathStayIntact) {
  const Text url = "http://Example.com/\xB0\xD9\xBB\xA8/\xCF\xE3.mp3";
  EXPECT_EQ(UrlHost(url), "example.com");
  EXPECT_EQ(UrlPath(url), "/\xB0\xD9\xBB\xA8/\xCF\xE3.mp3");
}

}  // namespace
