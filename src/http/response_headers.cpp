#include "http/response_headers.h"

#include "http/marker_text.h"
#include "text/text_primitives.h"

namespace vorel {
namespace {

const Text kLineBreak = "\r\n";
const Text kSeparator = "; ";

// The bytes before the first CR or LF: a bare one left inside a line by a server that
// breaks its lines differently must not reach a value that is sent on or shown.
Text UpToLineBreak(const Text& text) { return text.substr(0, text.find_first_of("\r\n")); }

}  // namespace

Text ResponseStatusText(const Text& headers) {
  const Text statusLine = UpToLineBreak(headers);
  return TextMid(statusLine, 10, TextLength(statusLine));
}

Text AppendSetCookies(Text cookies, const Text& headers) {
  for (const Text& line : SplitText(headers, kLineBreak)) {
    if (TextBefore(line, ": ") != "Set-Cookie") continue;
    const Text value = FindText(line, ";") > 0 ? TextBetween(line, "Set-Cookie:", ";")
                                               : ReplaceText(line, "Set-Cookie:", "", false);
    const Text cookie = TrimBoth(UpToLineBreak(value));
    if (!cookie.empty()) cookies += ConcatText(cookie, kSeparator);
  }
  if (TextRight(cookies, 2) == kSeparator) cookies = TextLeft(cookies, TextLength(cookies) - 2);
  return cookies;
}

std::optional<Text> LastLocation(const Text& headers) {
  std::optional<Text> location;
  for (const Text& line : SplitText(headers, kLineBreak)) {
    if (CompareText(TextLeft(line, 10), "Location: ", false) == 0) {
      location = UpToLineBreak(TextMid(line, 11, TextLength(line) - 10));
    }
  }
  return location;
}

int ResponseHeaderLineCount(const Text& headers) { return SplitText(headers, kLineBreak).Count(); }

}  // namespace vorel
