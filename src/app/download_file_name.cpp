#include "app/download_file_name.h"

#include "platform/codepage/code_page_936.h"
#include "text/text_primitives.h"

namespace vorel {

std::string DownloadFileName(const Text& keyword) {
  Text name = ConcatText(keyword, ".mp3");
  for (size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte >= 0x80) {
      ++i;  // the second byte of a two-byte character is never "/" or a control byte
    } else if (byte == '/' || byte < 0x20 || byte == 0x7F) {
      name[i] = '_';
    }
  }
  return platform::Cp936ToUtf8(name);
}

}  // namespace vorel
