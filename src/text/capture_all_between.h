// Cuts every piece of a text that stands between a left marker and the nearest right
// marker after it.
//
// Markers are found as their literal bytes, case and all, wherever those bytes occur.
// From the current position: the first left marker at or after it, then the first right
// marker at or after the end of that left marker; the bytes between them are a piece,
// and the search goes on after the right marker. The result is every piece followed by
// "\r\n", in order; no piece, an empty text, or two empty markers give the empty text.
#pragma once

#include "text/text_types.h"

namespace vorel {

Text CaptureAllBetween(const Text& text, const Text& leftMarker, const Text& rightMarker);

}  // namespace vorel
