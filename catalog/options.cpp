#include "options.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace catalog {
namespace {

std::string DefaultTlsDir() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && *state == '/') return std::string(state) + "/vorel-catalog";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/state/vorel-catalog";
}

std::optional<long> ParseNumber(std::string_view text) {
  long value = 0;
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string& error) {
  Options options;
  options.musicDir = VOREL_SAMPLE_MUSIC_DIR;
  options.tlsDir = DefaultTlsDir();
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg != "--music" && arg != "--port" && arg != "--tls-dir" && arg != "--page-size") {
      error = "unknown option: " + std::string(arg);
      return std::nullopt;
    }
    if (i + 1 >= argc) {
      error = std::string(arg) + " needs a value";
      return std::nullopt;
    }
    const std::string_view value = argv[++i];
    if (arg == "--music") {
      options.musicDir = value;
    } else if (arg == "--tls-dir") {
      options.tlsDir = value;
    } else if (arg == "--port") {
      const auto port = ParseNumber(value);
      if (!port || *port < 0 || *port > 65535) {
        error = "--port takes a number from 0 to 65535";
        return std::nullopt;
      }
      options.port = static_cast<int>(*port);
    } else {
      const auto size = ParseNumber(value);
      if (!size || *size < 1 || *size > 1000) {
        error = "--page-size takes a number from 1 to 1000";
        return std::nullopt;
      }
      options.pageSize = static_cast<std::size_t>(*size);
    }
  }
  if (options.musicDir.empty() || options.tlsDir.empty()) {
    error = "--music and --tls-dir take a folder";
    return std::nullopt;
  }
  return options;
}

std::string HelpText() {
  return std::string(R"(Usage: vorel-catalog [--music DIR] [--port N] [--tls-dir DIR] [--page-size N]

A local music search service for Vorel, on HTTPS at 127.0.0.1 only.

  --music DIR      the music folder (default: )") +
         VOREL_SAMPLE_MUSIC_DIR + R"()
  --port N         the port to listen on (default 8443; 0 picks a free one)
  --tls-dir DIR    where the service keeps its certificate authority and server
                   certificate (default: $XDG_STATE_HOME/vorel-catalog, else
                   ~/.local/state/vorel-catalog); made on first start, reused later.
                   Clients trust the service through DIR/ca.pem.
  --page-size N    songs per result page (default 10)
  --help           this text

Music folder: one file per song and quality, named
  SINGER - SONG.mp3       standard quality
  SINGER - SONG.hq.mp3    high quality
  SINGER - SONG.flac      lossless
Songs directly in the folder answer every search; a subfolder named after a site key
(kuwo, qq, wy, kg, migu) answers the searches for that site instead. The folder is
read once at start.

Requests:
  GET /?kw=KEYWORD&p=PAGE&lx=SITE   result page (UTF-8 HTML); the keyword is matched
                                    against singer and song name, ASCII letters
                                    without case; PAGE counts from 0
  GET /song/ID/QUALITY              302 to the song's file (QUALITY: standard, high,
                                    lossless)
  GET /media/PATH                   the file itself, with byte ranges
Each request is logged on standard output as "METHOD TARGET STATUS".
)";
}

}  // namespace catalog
