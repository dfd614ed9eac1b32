// Cutting a text before, between or after markers.
//
// Positions are 1-based byte positions; searches step over two-byte characters. In the
// markers of TextBetween the five bytes "#引号" stand for a double quote. A missing
// marker gives the empty text; nothing fails.
#pragma once

#include <optional>

#include "text/text_types.h"

namespace vorel {

// The bytes between the first leftMarker at or after `start` and the next rightMarker.
Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start = 1,
                 bool ignoreCase = false);
// The bytes before the first marker (start omitted or 0: from byte 1; start >= 1 from
// that byte; start -k searches backwards, see the .cpp).
Text TextBefore(const Text& text, const Text& marker, std::optional<int> start = std::nullopt,
                bool ignoreCase = false);
// The bytes after the last marker that is followed by at least one byte (start omitted);
// start s >= 0 searches backwards from L - s, start -k forwards from byte k.
Text TextAfter(const Text& text, const Text& marker, std::optional<int> start = std::nullopt,
               bool ignoreCase = false);

}  // namespace vorel
