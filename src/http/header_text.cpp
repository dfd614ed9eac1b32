#include "http/header_text.h"

#include "http/marker_text.h"
#include "text/text_primitives.h"

namespace vorel {

namespace {

const Text kLineBreak = "\r\n";

Text RebuildName(const Text& name) {
  if (FindText(name, "-") == -1) return CapitalizeFirst(name);
  Text rebuilt;
  bool first = true;
  for (const Text& piece : SplitText(name, "-")) {
    if (!first) rebuilt += "-";
    rebuilt += CapitalizeFirst(piece);
    first = false;
  }
  return rebuilt;
}

}  // namespace

Text NormalizeHeaders(const Text& headers) {
  Text result;
  bool first = true;
  for (const Text& line : SplitText(headers, kLineBreak)) {
    const int colon = FindText(line, ":");
    if (colon == -1) continue;
    const Text name = RebuildName(TextLeft(line, colon - 1));
    // Re-casing keeps the length: a dash dropped at the end of the name comes back with
    // the rest of the line.
    const Text rest = TextRight(line, TextLength(line) - TextLength(name));
    if (!first) result += kLineBreak;
    result += ConcatText(name, rest);
    first = false;
  }
  return result;
}

Text CapitalizeFirst(const Text& text) {
  if (text.empty()) return {};
  return ConcatText(ToUpper(TextLeft(text, 1)), TextMid(text, 2, TextLength(text)));
}

Text HeaderLineValue(const Text& line) {
  const int colon = FindText(line, ":");
  if (colon == -1) return {};
  return TrimBoth(TextRight(line, TextLength(line) - colon));
}

Text HeaderValue(const Text& headers, const Text& name) {
  const int n = TextLength(name);
  for (const Text& line : SplitText(headers, kLineBreak)) {
    if (TextLeft(line, n) == name) return TextAfter(line, ConcatText(name, ": "));
  }
  return {};
}

std::vector<std::string> HeaderLines(const Text& block) {
  std::vector<std::string> lines;
  for (const Text& line : SplitText(block, "\r\n")) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace vorel
