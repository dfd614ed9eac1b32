#include "service.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <string>
#include <string_view>

#include "result_page.h"
#include "url_codec.h"

namespace catalog {
namespace {

constexpr std::string_view kQualityLabels[] = {"标准", "高品", "无损"};

void Fail(httplib::Response& res, int status, const std::string& message) {
  res.status = status;
  res.set_content(message + "\n", "text/plain; charset=utf-8");
}

// The host (and port) that links on this service should use: the request's Host header
// when it is a plain host name or address, else localhost with the listening port.
std::string LinkHost(const httplib::Request& req, int port) {
  const std::string host = req.get_header_value("Host");
  const bool plain = !host.empty() && host.size() <= 255 && std::all_of(host.begin(), host.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == ':' || c == '[' || c == ']';
  });
  return plain ? host : "localhost:" + std::to_string(port);
}

std::string_view RawPath(std::string_view target) { return target.substr(0, target.find('?')); }

std::string_view RawQuery(std::string_view target) {
  const std::size_t mark = target.find('?');
  return mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A page number: decimal digits only.
std::optional<std::size_t> ParsePage(std::string_view text) {
  std::size_t value = 0;
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Pages, redirects and error texts are always sent whole; only media honour Range.
void IgnoreRanges(const httplib::Request& req) { const_cast<httplib::Request&>(req).ranges.clear(); }

void HandleSearch(const httplib::Request& req, httplib::Response& res, const Library& library,
                  const ServiceSettings& settings) {
  IgnoreRanges(req);
  const auto query = ParseQuery(RawQuery(req.target));
  if (!query) return Fail(res, 400, "Bad request: malformed query (percent-encoding or UTF-8)");
  std::size_t pageIndex = 0;
  if (const auto page = QueryValue(*query, "p")) {
    const auto number = ParsePage(*page);
    if (!number) return Fail(res, 400, "Bad request: the page number p must be a whole number from 0");
    pageIndex = *number;
  }
  const std::string keyword(TrimBlanks(QueryValue(*query, "kw").value_or("")));
  const std::string siteKey = QueryValue(*query, "lx").value_or("");

  const std::vector<const Song*> matches = library.Search(siteKey, keyword);
  ResultPage page;
  page.keyword = keyword;
  page.pageIndex = pageIndex;
  page.matchCount = matches.size();
  page.pageCount = (matches.size() + settings.pageSize - 1) / settings.pageSize;
  const std::string base = "https://" + LinkHost(req, settings.port);
  if (pageIndex < page.pageCount) {
    const std::size_t first = pageIndex * settings.pageSize;
    const std::size_t last = std::min(matches.size(), first + settings.pageSize);
    for (std::size_t i = first; i < last; ++i) {
      const Song& song = *matches[i];
      ResultRow row{song.singer, song.name, {}};
      for (const Quality quality : kQualities) {
        if (song.file(quality).empty()) continue;
        const std::string word(QualityWord(quality));
        row.links.push_back({base + "/song/" + std::to_string(song.id) + "/" + word, word,
                             std::string(kQualityLabels[static_cast<std::size_t>(quality)])});
      }
      page.rows.push_back(std::move(row));
    }
  }
  res.set_content(RenderResultPage(page), "text/html; charset=utf-8");
}

void HandleSong(const httplib::Request& req, httplib::Response& res, const Library& library,
                const ServiceSettings& settings) {
  IgnoreRanges(req);
  const std::string id = req.matches[1].str();
  std::size_t number = 0;
  const auto [end, status] = std::from_chars(id.data(), id.data() + id.size(), number);
  const Song* song =
      status == std::errc() && end == id.data() + id.size() ? library.FindSong(number) : nullptr;
  const auto quality = QualityFromWord(req.matches[2].str());
  if (!song || !quality || song->file(*quality).empty()) return Fail(res, 404, "Not found: no such song");
  const std::string location =
      "https://" + LinkHost(req, settings.port) + "/media/" + PercentEncodePath(song->file(*quality));
  res.set_redirect(location, 302);
  res.set_content("Found: " + location + "\n", "text/plain; charset=utf-8");
}

// Bounds byte ranges by the content's size: ends past the last byte are cut back, ranges
// that start past it are dropped, and a request of more than 16 ranges is answered
// whole. False when no range is left to serve.
bool BoundRanges(httplib::Ranges& ranges, std::size_t size) {
  constexpr std::size_t kMaxRanges = 16;
  if (ranges.empty()) return true;
  if (ranges.size() > kMaxRanges) {
    ranges.clear();
    return true;
  }
  const auto last = static_cast<ssize_t>(size) - 1;
  httplib::Ranges bounded;
  for (auto [first, end] : ranges) {
    if (first < 0) {  // suffix range: the last `end` bytes
      if (end <= 0) continue;
      first = std::max<ssize_t>(0, last + 1 - end);
      end = last;
    } else {
      if (first > last) continue;
      if (end < 0 || end > last) end = last;
      if (end < first) continue;
    }
    bounded.emplace_back(first, end);
  }
  ranges = std::move(bounded);
  return !ranges.empty();
}

struct OpenFile {
  int fd = -1;
  explicit OpenFile(int descriptor) : fd(descriptor) {}
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
};

void HandleMedia(const httplib::Request& req, httplib::Response& res, const Library& library) {
  constexpr std::string_view kPrefix = "/media/";
  const std::string_view rawPath = RawPath(req.target);
  const auto relative = rawPath.substr(0, kPrefix.size()) == kPrefix
                            ? PercentDecode(rawPath.substr(kPrefix.size()), false)
                            : std::nullopt;
  const auto path = relative ? library.MediaPath(*relative) : std::nullopt;
  if (!path) return Fail(res, 404, "Not found: no such file");
  auto file = std::make_shared<OpenFile>(::open(path->c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (file->fd < 0 || ::fstat(file->fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    return Fail(res, 404, "Not found: the file cannot be read");
  }
  const auto size = static_cast<std::size_t>(info.st_size);
  const std::string type = path->ends_with(".flac") ? "audio/flac" : "audio/mpeg";
  // cpp-httplib serves the ranges as it parsed them, without bounding them by the size
  // of the content; bound them here (the request object is the server's own, not const).
  auto& ranges = const_cast<httplib::Request&>(req).ranges;
  if (!BoundRanges(ranges, size)) {
    ranges.clear();
    res.set_header("Content-Range", "bytes */" + std::to_string(size));
    return Fail(res, 416, "Range not satisfiable");
  }
  if (size == 0) {
    res.set_content("", type);
    return;
  }
  res.set_content_provider(size, type,
                           [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                             char buffer[64 * 1024];
                             const std::size_t want = std::min(length, sizeof buffer);
                             const ssize_t got = ::pread(file->fd, buffer, want, static_cast<off_t>(offset));
                             if (got <= 0) return false;
                             return sink.write(buffer, static_cast<std::size_t>(got));
                           });
}

}  // namespace

void InstallRoutes(httplib::Server& server, const Library& library, const ServiceSettings& settings,
                   AccessLog& log) {
  server.Get("/", [&library, settings](const httplib::Request& req, httplib::Response& res) {
    HandleSearch(req, res, library, settings);
  });
  server.Get(R"(/song/([0-9]{1,18})/([a-z]+))",
             [&library, settings](const httplib::Request& req, httplib::Response& res) {
               HandleSong(req, res, library, settings);
             });
  server.Get(R"(/media/.+)", [&library](const httplib::Request& req, httplib::Response& res) {
    HandleMedia(req, res, library);
  });
  server.set_error_handler(
      httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
        IgnoreRanges(req);
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        const std::string text = res.status == 404   ? "Not found"
                                 : res.status == 400 ? "Bad request"
                                 : res.status == 416 ? "Range not satisfiable"
                                                     : "Error " + std::to_string(res.status);
        res.set_content(text + "\n", "text/plain; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
      }));
  server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    Fail(res, 500, "Internal error");
  });
  server.set_logger([&log](const httplib::Request& req, const httplib::Response& res) {
    log.Write(req.method, req.target, res.status);
  });
}

}  // namespace catalog
