// The name 下载 saves under: the keyword followed by ".mp3", made safe for the folder it
// goes to. "/" and control bytes (below 0x20, and 0x7F) become "_", so the file always
// lands in the program's folder; an empty keyword gives ".mp3". The result is UTF-8, as
// file names are on disk.
#pragma once

#include <string>

#include "text/text_types.h"

namespace vorel {

std::string DownloadFileName(const Text& keyword);

}  // namespace vorel
