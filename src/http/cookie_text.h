// Cookie texts: entries "name=value" separated by "; ".
//
// MergeCookies lists the new cookies in their order, then the old ones whose name was not
// received again; an entry ending in "=deleted" removes the old cookie of that name and
// is itself left out; an entry repeated byte for byte occurs once. It writes the trimmed
// inputs back and leaves the merged text in oldCookies as well as returning it.
#pragma once

#include "text/text_types.h"

namespace vorel {

Text MergeCookies(Text& oldCookies, Text& newCookies);
// The bytes before the entry's first "=" (the whole entry without one), trimmed.
Text CookieName(const Text& entry);
bool HasCookieName(const TextArray& entries, const Text& name);
// The pieces (split at separator, or characters when !splitBySeparator) without repeats,
// joined by separator.
Text JoinUnique(const Text& text, const Text& separator, bool splitBySeparator);
// The characters: a two-byte character (lead >= 0x81 not last) or CR LF is one piece.
TextArray SplitChars(const Text& text);
// 1-based index of the first member equal to text byte for byte; -1 when none.
int IndexOfText(const TextArray& array, const Text& text);

}  // namespace vorel
