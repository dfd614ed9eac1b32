#include "http/cookie_text.h"

namespace vorel {

Text MergeCookies(Text& oldCookies, Text&) { return oldCookies; }
Text CookieName(const Text& entry) { return entry; }
bool HasCookieName(const TextArray&, const Text&) { return false; }
Text JoinUnique(const Text& text, const Text&, bool) { return text; }
TextArray SplitChars(const Text&) { return {}; }
int IndexOfText(const TextArray&, const Text&) { return -1; }

}  // namespace vorel
