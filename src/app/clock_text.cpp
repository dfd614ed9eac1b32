#include "app/clock_text.h"

#include "text/text_primitives.h"

namespace vorel {

Text ElapsedText(int elapsedMinutes, int elapsedSeconds) {
  const Text seconds = NumberToText(elapsedSeconds);
  if (elapsedMinutes < 1) return ConcatText(elapsedSeconds > 9 ? "00:" : "00:0", seconds);
  return ConcatText("0", NumberToText(elapsedMinutes), elapsedSeconds > 9 ? ":" : ":0", seconds);
}

Text TotalText(int totalSeconds) {
  return ConcatText(" \\ 0", NumberToText(IntegerDivide(totalSeconds, 60)), ":",
                    NumberToText(Remainder(totalSeconds, 60)));
}

}  // namespace vorel
