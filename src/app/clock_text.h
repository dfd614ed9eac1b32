// The time display of the clock: the elapsed part, then " \ 0", the total minutes, ":"
// and the total seconds.
//
// Elapsed: "00:" + seconds below one minute ("00:0" + seconds up to 9); from one minute
// on "0" + minutes + ":" + seconds ("0" + minutes + ":0" + seconds up to 9), so ten
// minutes show "010:00". The total's seconds are never padded: 245 s gives "04:5".
#pragma once

#include "text/text_types.h"

namespace vorel {

Text ElapsedText(int elapsedMinutes, int elapsedSeconds);
Text TotalText(int totalSeconds);

}  // namespace vorel
