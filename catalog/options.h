// The command line of vorel-catalog.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace catalog {

struct Options {
  std::string musicDir;  // the sample library made by the build unless given
  std::string tlsDir;    // $XDG_STATE_HOME/vorel-catalog or ~/.local/state/vorel-catalog unless given
  int port = 8443;       // 0: any free port
  std::size_t pageSize = 10;
  bool help = false;
};

// Reads the arguments; nothing (and `error` set) when one is unknown or out of range.
std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string& error);

std::string HelpText();

}  // namespace catalog
