// The local search service, run as its own process and asked over real HTTPS: the result
// page as the program scrapes it, paging, site folders, keyword matching, song links and
// media, bad requests and the access log.
#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/bio.h>
#include <openssl/ssl.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/catalog_server.h"
#include "support/wait_until.h"

namespace vorel::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNameLeft = "<td width=70% class=\"song-name\">";
constexpr std::string_view kNameRight = "</td><td class=\"song-bitrate\">";
constexpr std::string_view kCellLeft = "<td class=\"song-bitrate\">";
constexpr std::string_view kCellRight = "</a></td></tr><tr>";
constexpr std::string_view kLinkLeft = "<a href=\"";
constexpr std::string_view kLinkRight = "\" class=\"";

// Every text between `left` and the next `right`, scanning on after each `right`.
std::vector<std::string> Between(const std::string& text, std::string_view left, std::string_view right) {
  std::vector<std::string> found;
  std::size_t position = 0;
  for (;;) {
    const std::size_t start = text.find(left, position);
    if (start == std::string::npos) break;
    const std::size_t end = text.find(right, start + left.size());
    if (end == std::string::npos) break;
    found.push_back(text.substr(start + left.size(), end - start - left.size()));
    position = end + right.size();
  }
  return found;
}

struct Row {
  std::string nameText;
  std::vector<std::string> links;
};

// The rows of a result page, cut out with the markers the program uses.
std::vector<Row> Scrape(const std::string& page) {
  const auto names = Between(page, kNameLeft, kNameRight);
  const auto cells = Between(page, kCellLeft, kCellRight);
  EXPECT_EQ(names.size(), cells.size()) << page;
  std::vector<Row> rows;
  for (std::size_t i = 0; i < names.size() && i < cells.size(); ++i) {
    rows.push_back({names[i], Between(cells[i], kLinkLeft, kLinkRight)});
  }
  return rows;
}

std::vector<std::string> NameTexts(const std::vector<Row>& rows) {
  std::vector<std::string> names;
  for (const Row& row : rows) names.push_back(row.nameText);
  return names;
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int PortOf(const CatalogServer& server) {
  return std::stoi(server.host().substr(server.host().find(':') + 1));
}

std::unique_ptr<httplib::SSLClient> ClientFor(const CatalogServer& server) {
  auto client = std::make_unique<httplib::SSLClient>("localhost", PortOf(server));
  client->set_ca_cert_path(server.caFile().c_str());
  client->enable_server_certificate_verification(true);
  client->set_url_encode(false);  // targets go out exactly as written
  client->set_follow_location(false);
  return client;
}

// Sends `request` over a fresh TLS connection and returns every byte of the answer until
// the service closes the connection; cpp-httplib's client decodes header values, this
// shows them as sent.
std::string RawExchange(const CatalogServer& server, const std::string& request) {
  std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> ctx(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
  SSL_CTX_load_verify_locations(ctx.get(), server.caFile().c_str(), nullptr);
  SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_PEER, nullptr);
  std::unique_ptr<BIO, decltype(&BIO_free_all)> bio(BIO_new_ssl_connect(ctx.get()), BIO_free_all);
  SSL* ssl = nullptr;
  BIO_get_ssl(bio.get(), &ssl);
  SSL_set_tlsext_host_name(ssl, "localhost");
  SSL_set1_host(ssl, "localhost");
  BIO_set_conn_hostname(bio.get(), ("127.0.0.1:" + std::to_string(PortOf(server))).c_str());
  if (BIO_do_connect(bio.get()) != 1 ||
      BIO_write(bio.get(), request.data(), static_cast<int>(request.size())) !=
          static_cast<int>(request.size())) {
    return "";
  }
  std::string answer;
  char buffer[4096];
  int got;
  while ((got = BIO_read(bio.get(), buffer, sizeof buffer)) > 0)
    answer.append(buffer, static_cast<std::size_t>(got));
  return answer;
}

// The value of header `name` in the head of a raw answer, as sent.
std::string RawHeader(const std::string& answer, const std::string& name) {
  const std::size_t start = answer.find("\r\n" + name + ": ");
  if (start == std::string::npos) return "";
  const std::size_t value = start + name.size() + 4;
  return answer.substr(value, answer.find("\r\n", value) - value);
}

// A small library whose every song and oddity is known.
class FixtureLibrary {
 public:
  FixtureLibrary() {
    std::string dir = (fs::temp_directory_path() / "vorel-catalog-music-XXXXXX").string();
    if (mkdtemp(dir.data())) root_ = dir;
    fs::create_directories(root_ / "wy");
    for (const char* name :
         {"甲 - 乙.mp3", "甲 - 乙.hq.mp3", "甲 - 乙.flac", "Alpha - Song One.mp3", "丙 - 丁 - 戊.mp3",
          "<b>&co - x\"y.mp3", "歌手 - 只有高品.hq.mp3", "wy/网易 - 歌.mp3",
          // not songs: no separator, hidden, other kinds, empty singer
          "noseparator.mp3", ".hidden - x.mp3", "歌手 - 歌.txt", " - 无名.mp3"}) {
      std::ofstream(root_ / name, std::ios::binary) << "bytes of " << name << std::string(100, 'x');
    }
  }
  ~FixtureLibrary() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

class CatalogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.running());
    client_ = ClientFor(server_);
  }

  // GET of a target; the response, or a failed test when nothing came back.
  httplib::Result Get(const std::string& target, const httplib::Headers& headers = {}) {
    return client_->Get(target.c_str(), headers);
  }

  std::vector<Row> RowsOf(const std::string& target) {
    auto res = Get(target);
    EXPECT_TRUE(res) << target;
    if (!res) return {};
    EXPECT_EQ(res->status, 200) << target;
    return Scrape(res->body);
  }

  CatalogServer server_;
  std::unique_ptr<httplib::SSLClient> client_;
};

class CatalogFixtureTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.running());
    client_ = ClientFor(server_);
  }
  std::vector<Row> RowsOf(const std::string& target) {
    auto res = client_->Get(target.c_str());
    EXPECT_TRUE(res) << target;
    if (!res) return {};
    EXPECT_EQ(res->status, 200) << target;
    return Scrape(res->body);
  }

  FixtureLibrary library_;
  CatalogServer server_{library_.root().string()};
  std::unique_ptr<httplib::SSLClient> client_;
};

TEST_F(CatalogTest, ResultPageHasTheScrapedShape) {
  auto res = Get("/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99&lx=kuwo");  // 百花香
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
  const std::size_t meta = res->body.find("<meta charset=\"utf-8\">");
  ASSERT_NE(meta, std::string::npos);
  EXPECT_LT(meta + 22, 1024u);

  const auto rows = Scrape(res->body);
  ASSERT_EQ(rows.size(), 1u) << res->body;
  EXPECT_EQ(rows[0].nameText, "林小雨 - 百花香");
  const std::string base = server_.baseUrl() + "/song/";
  ASSERT_EQ(rows[0].links.size(), 3u);
  const char* qualities[] = {"/standard", "/high", "/lossless"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(rows[0].links[i].rfind(base, 0), 0u) << rows[0].links[i];
    EXPECT_TRUE(rows[0].links[i].ends_with(qualities[i])) << rows[0].links[i];
  }
  // The row is written in one piece, labels in quality order, closed by the next row.
  EXPECT_NE(
      res->body.find("<tr><td width=70% class=\"song-name\">林小雨 - 百花香</td><td class=\"song-bitrate\">"
                     "<a href=\"" +
                     rows[0].links[0] +
                     "\" class=\"standard\">标准</a>"
                     "<a href=\"" +
                     rows[0].links[1] +
                     "\" class=\"high\">高品</a>"
                     "<a href=\"" +
                     rows[0].links[2] + "\" class=\"lossless\">无损</a></td></tr><tr>"),
      std::string::npos)
      << res->body;
}

TEST_F(CatalogTest, LinksUseTheRequestHostOnlyWhenItIsAPlainHostName) {
  struct Case {
    const char* host;
    std::string linkStart;
  } cases[] = {
      {"127.0.0.1:4321", "https://127.0.0.1:4321/song/"},
      {"evil\"><script>", server_.baseUrl() + "/song/"},
  };
  for (const Case& c : cases) {
    auto res = Get("/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99", {{"Host", c.host}});
    ASSERT_TRUE(res) << c.host;
    const auto rows = Scrape(res->body);
    ASSERT_EQ(rows.size(), 1u) << c.host;
    for (const std::string& link : rows[0].links) EXPECT_EQ(link.rfind(c.linkStart, 0), 0u) << link;
    EXPECT_EQ(res->body.find("<script>"), std::string::npos);
  }
}

TEST_F(CatalogTest, PagesSplitTheMatchesTenAtATime) {
  const std::string flower = "/?kw=%E8%8A%B1";  // 花: thirteen songs in the main collection
  const auto first = RowsOf(flower + "&lx=kuwo");
  const auto explicitFirst = RowsOf(flower + "&p=0&lx=kuwo");
  const auto second = RowsOf(flower + "&p=1&lx=kuwo");
  const auto beyond = RowsOf(flower + "&p=2&lx=kuwo");
  const auto farBeyond = RowsOf(flower + "&p=123456789012&lx=kuwo");
  EXPECT_EQ(first.size(), 10u);
  EXPECT_EQ(NameTexts(explicitFirst), NameTexts(first));
  EXPECT_EQ(second.size(), 3u);
  EXPECT_TRUE(beyond.empty());
  EXPECT_TRUE(farBeyond.empty());
  std::set<std::string> names;
  for (const auto* rows : {&first, &second}) {
    for (const Row& row : *rows) {
      EXPECT_NE(row.nameText.find("花"), std::string::npos) << row.nameText;
      names.insert(row.nameText);
    }
  }
  EXPECT_EQ(names.size(), 13u);

  // The empty keyword lists every song of the main collection.
  EXPECT_EQ(RowsOf("/?kw=&lx=kuwo").size(), 10u);
  EXPECT_EQ(RowsOf("/?kw=&p=1&lx=kuwo").size(), 6u);
}

TEST_F(CatalogTest, SiteKeySelectsItsFolderWhenThereIsOne) {
  struct Case {
    const char* siteKey;
    const char* expected;
  } cases[] = {
      {"&lx=wy", "赵雷 - 百花香"},   {"&lx=kuwo", "林小雨 - 百花香"}, {"&lx=migu", "林小雨 - 百花香"},
      {"", "林小雨 - 百花香"},       {"&lx=..", "林小雨 - 百花香"},   {"&lx=wy%2F..", "林小雨 - 百花香"},
      {"&lx=WY", "林小雨 - 百花香"},
  };
  for (const Case& c : cases) {
    const auto rows = RowsOf(std::string("/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99") + c.siteKey);
    ASSERT_EQ(rows.size(), 1u) << c.siteKey;
    EXPECT_EQ(rows[0].nameText, c.expected) << c.siteKey;
  }
}

TEST_F(CatalogTest, SampleLibraryHoldsWhatPlaybackNeeds) {
  const fs::path music = SampleMusicDir();
  const auto threeQualities = RowsOf("/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99&lx=kuwo");
  ASSERT_EQ(threeQualities.size(), 1u);
  EXPECT_EQ(threeQualities[0].links.size(), 3u);
  EXPECT_EQ(ReadFile(music / "林小雨 - 百花香.flac").substr(0, 4), "fLaC");

  // A plain constant-bitrate stream of at least four seconds: no Xing/Info/LAME header
  // in its first frame, only frame headers of the same bitrate.
  const std::string plain = ReadFile(music / "陈静 - 花开.mp3");
  ASSERT_GT(plain.size(), 4u * 128000 / 8);
  EXPECT_EQ(static_cast<unsigned char>(plain[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(plain[1]) & 0xE0, 0xE0);
  const std::string firstFrame = plain.substr(0, 417);
  for (const char* tag : {"Xing", "Info", "LAME"}) EXPECT_EQ(firstFrame.find(tag), std::string::npos) << tag;
  const auto single = RowsOf("/?kw=%E9%99%88%E9%9D%99");  // 陈静
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].links.size(), 1u);

  const auto bigSize = fs::file_size(music / "白云乐队 - 长夜.mp3");
  EXPECT_GT(bigSize, 4'500'000u);
  EXPECT_LT(bigSize, 7'000'000u);
}

TEST_F(CatalogTest, SongLinkRedirectsToMediaServedWithRanges) {
  const auto rows = RowsOf("/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99&lx=kuwo");
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0].links.size(), 3u);
  struct Case {
    std::size_t link;
    const char* file;
    const char* type;
  } cases[] = {
      {0, "林小雨 - 百花香.mp3", "audio/mpeg"},
      {1, "林小雨 - 百花香.hq.mp3", "audio/mpeg"},
      {2, "林小雨 - 百花香.flac", "audio/flac"},
  };
  for (const Case& c : cases) {
    const std::string target = rows[0].links[c.link].substr(server_.baseUrl().size());
    const std::string redirect = RawExchange(
        server_, "GET " + target + " HTTP/1.1\r\nHost: " + server_.host() + "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(redirect.rfind("HTTP/1.1 302 ", 0), 0u) << redirect;
    const std::string location = RawHeader(redirect, "Location");
    ASSERT_EQ(location.rfind(server_.baseUrl() + "/media/", 0), 0u) << location;
    const std::string mediaTarget = location.substr(server_.baseUrl().size());
    EXPECT_EQ(
        mediaTarget.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/%"),
        std::string::npos)
        << "percent-encoded: " << mediaTarget;

    const std::string bytes = ReadFile(fs::path(SampleMusicDir()) / c.file);
    ASSERT_GT(bytes.size(), 100u);
    auto whole = Get(mediaTarget);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->status, 200);
    EXPECT_EQ(whole->get_header_value("Content-Type"), c.type);
    EXPECT_EQ(whole->get_header_value("Content-Length"), std::to_string(bytes.size()));
    EXPECT_TRUE(whole->body == bytes) << c.file;

    auto part = Get(mediaTarget, {{"Range", "bytes=10-19"}});
    ASSERT_TRUE(part);
    EXPECT_EQ(part->status, 206);
    EXPECT_EQ(part->get_header_value("Content-Range"), "bytes 10-19/" + std::to_string(bytes.size()));
    EXPECT_EQ(part->body, bytes.substr(10, 10));
  }
}

TEST_F(CatalogTest, RangesAreBoundedByTheFile) {
  const std::string bytes = ReadFile(fs::path(SampleMusicDir()) / "陈静 - 花开.mp3");
  const std::string size = std::to_string(bytes.size());
  const std::string target = "/media/%E9%99%88%E9%9D%99%20-%20%E8%8A%B1%E5%BC%80.mp3";
  struct Case {
    std::string range;
    int status;
    std::string contentRange;
    std::string body;
  } cases[] = {
      {"bytes=" + std::to_string(bytes.size() - 5) + "-99999999", 206,
       "bytes " + std::to_string(bytes.size() - 5) + "-" + std::to_string(bytes.size() - 1) + "/" + size,
       bytes.substr(bytes.size() - 5)},
      {"bytes=-7", 206,
       "bytes " + std::to_string(bytes.size() - 7) + "-" + std::to_string(bytes.size() - 1) + "/" + size,
       bytes.substr(bytes.size() - 7)},
      {"bytes=1000-", 206, "bytes 1000-" + std::to_string(bytes.size() - 1) + "/" + size, bytes.substr(1000)},
      {"bytes=" + size + "-", 416, "bytes */" + size, ""},
      {"bytes=99999999-99999999", 416, "bytes */" + size, ""},
  };
  for (const Case& c : cases) {
    auto res = Get(target, {{"Range", c.range}});
    ASSERT_TRUE(res) << c.range;
    EXPECT_EQ(res->status, c.status) << c.range;
    EXPECT_EQ(res->get_header_value("Content-Range"), c.contentRange) << c.range;
    if (c.status == 206) {
      EXPECT_TRUE(res->body == c.body) << c.range;
    }
  }
}

TEST_F(CatalogTest, BadRequestsAreAnsweredAndServingGoesOn) {
  struct Case {
    const char* target;
    int status;
  } cases[] = {
      {"/nope", 404},
      {"/song/99999/standard", 404},
      {"/song/0/best", 404},
      {"/media/nothing.mp3", 404},
      {"/media/..%2F..%2F..%2Fetc%2Fpasswd", 404},
      {"/media/%ZZ", 404},
      {"/?kw=abc&p=abc", 400},
      {"/?kw=abc&p=-1", 400},
      {"/?kw=abc&p=", 400},
      {"/?kw=abc&p=1.5", 400},
      {"/?kw=abc&p=99999999999999999999999", 400},
      {"/?kw=%ZZ", 400},
      {"/?kw=abc%", 400},
      {"/?kw=%E7%99", 400},  // cut-off UTF-8
      {"/?kw=%FF", 400},
  };
  for (const Case& c : cases) {
    auto res = Get(c.target);
    ASSERT_TRUE(res) << c.target;
    EXPECT_EQ(res->status, c.status) << c.target;
    EXPECT_FALSE(res->body.empty()) << c.target;
    EXPECT_LT(res->body.size(), 200u) << c.target;
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/plain; charset=utf-8") << c.target;
  }
  EXPECT_EQ(RowsOf("/?kw=%E7%99%BE%E8%8A%B1%E9%A6%99&lx=kuwo").size(), 1u);
}

TEST_F(CatalogTest, AccessLogHasOneLinePerRequest) {
  const std::string targets[] = {"/?kw=%E8%8A%B1&p=1&lx=kuwo", "/nope", "/?kw=&p=x"};
  for (const std::string& target : targets) ASSERT_TRUE(Get(target));
  // Control bytes in a target are shown escaped, so that a line stays one line.
  const std::string answer =
      RawExchange(server_, "GET /nope\x1b[2J\x7f HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(answer.rfind("HTTP/1.1 404 ", 0), 0u) << answer;
  const std::vector<std::string> expected = {"GET /?kw=%E8%8A%B1&p=1&lx=kuwo 200", "GET /nope 404",
                                             "GET /?kw=&p=x 400", "GET /nope%1B[2J%7F 404"};
  EXPECT_TRUE(WaitUntil([&] { return server_.accessLog().size() >= expected.size(); }));
  EXPECT_EQ(server_.accessLog(), expected);
}

TEST_F(CatalogFixtureTest, FileNamesGiveSingersSongsAndQualities) {
  const auto rows = RowsOf("/?kw=");
  std::vector<std::string> names = NameTexts(rows);
  std::sort(names.begin(), names.end());
  const std::vector<std::string> expected = {"&lt;b&gt;&amp;co - x&quot;y", "Alpha - Song One",
                                             "丙 - 丁 - 戊", "歌手 - 只有高品", "甲 - 乙"};
  EXPECT_EQ(names, expected);
  for (const Row& row : rows) {
    if (row.nameText == "甲 - 乙") {
      ASSERT_EQ(row.links.size(), 3u);
      EXPECT_TRUE(row.links[2].ends_with("/lossless"));
    } else {
      ASSERT_EQ(row.links.size(), 1u) << row.nameText;
      EXPECT_TRUE(row.links[0].ends_with(row.nameText == "歌手 - 只有高品" ? "/high" : "/standard"));
    }
  }
  const auto folder = RowsOf("/?kw=&lx=wy");
  ASSERT_EQ(folder.size(), 1u);
  EXPECT_EQ(folder[0].nameText, "网易 - 歌");
}

TEST_F(CatalogFixtureTest, KeywordMatchesSingerOrSongIgnoringAsciiCase) {
  struct Case {
    const char* keyword;
    std::vector<std::string> names;
  } cases[] = {
      {"%E4%B9%99", {"甲 - 乙"}},                       // 乙, song name
      {"%E7%94%B2", {"甲 - 乙"}},                       // 甲, singer
      {"ALPHA", {"Alpha - Song One"}},                  // singer, other case
      {"sOnG%20oNe", {"Alpha - Song One"}},             // song name with a blank
      {"+%20one%20", {"Alpha - Song One"}},             // blanks around are not part of it
      {"%E4%B8%81%20-%20%E6%88%8A", {"丙 - 丁 - 戊"}},  // "丁 - 戊", the rest of the name
      {"%E4%B9%99%20-", {}},                            // "乙 -" is in neither
      {"zzz", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NameTexts(RowsOf(std::string("/?kw=") + c.keyword)), c.names) << c.keyword;
  }
}

#ifdef VOREL_CATALOG_EXE
// Runs vorel-catalog with `arguments` under a time limit and gives its exit status.
int RunCatalog(const std::string& arguments, int seconds) {
  const std::string command = "timeout " + std::to_string(seconds) + " '" + std::string(VOREL_CATALOG_EXE) +
                              "' " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CatalogProcessTest, RefusesATakenPortAndKeepsItsCertificates) {
  CatalogServer server;
  ASSERT_TRUE(server.running());
  std::string tls = (fs::temp_directory_path() / "vorel-catalog-reuse-XXXXXX").string();
  ASSERT_TRUE(mkdtemp(tls.data()));

  // A second service on the same port gives up at once instead of sharing it.
  EXPECT_EQ(RunCatalog("--port " + std::to_string(PortOf(server)) + " --tls-dir " + tls, 10), 1);

  // The first start makes the authority and the server certificate, the next one reuses them.
  const char* files[] = {"ca.pem", "ca-key.pem", "server.pem", "server-key.pem"};
  std::vector<std::string> before;
  for (const char* file : files) before.push_back(ReadFile(fs::path(tls) / file));
  EXPECT_EQ(RunCatalog("--port 0 --tls-dir " + tls, 1), 124);  // still serving when the limit ends it
  for (std::size_t i = 0; i < std::size(files); ++i) {
    EXPECT_EQ(ReadFile(fs::path(tls) / files[i]), before[i]) << files[i];
    EXPECT_FALSE(before[i].empty()) << files[i];
  }
  EXPECT_EQ(fs::status(fs::path(tls) / "ca-key.pem").permissions() & fs::perms::group_all, fs::perms::none);
  std::error_code ignored;
  fs::remove_all(tls, ignored);
}
#endif

}  // namespace
}  // namespace vorel::test
