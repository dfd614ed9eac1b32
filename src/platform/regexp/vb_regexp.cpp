#include "platform/regexp/vb_regexp.h"

#include <locale.h>
#include <wctype.h>

#include <boost/regex.hpp>
#include <cstddef>
#include <string>

namespace vorel::platform {

namespace {

// Letter case folds over all of Unicode (as the scripting component does), while the
// classes \w, \d and \s keep their ASCII meaning from the classic locale.
locale_t UnicodeCaseLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

wchar_t FoldLower(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
  if (c < 0x80) return c;
  const locale_t locale = UnicodeCaseLocale();
  return locale != static_cast<locale_t>(0) ? static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), locale))
                                            : c;
}

wchar_t FoldUpper(wchar_t c) {
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
  if (c < 0x80) return c;
  const locale_t locale = UnicodeCaseLocale();
  return locale != static_cast<locale_t>(0) ? static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), locale))
                                            : c;
}

class VbRegexTraits : public boost::cpp_regex_traits<wchar_t> {
 public:
  wchar_t translate(wchar_t c) const { return c; }
  wchar_t translate_nocase(wchar_t c) const { return FoldLower(c); }
  wchar_t translate(wchar_t c, bool icase) const { return icase ? FoldLower(c) : c; }
  wchar_t tolower(wchar_t c) const { return FoldLower(c); }
  wchar_t toupper(wchar_t c) const { return FoldUpper(c); }
};

using Regex = boost::basic_regex<wchar_t, VbRegexTraits>;
using WideIterator = std::wstring::const_iterator;
using WideMatch = boost::match_results<WideIterator>;

// A UTF-16 text as code points, with the UTF-16 offset of every code point (and of the
// end) so that positions found in code points can be reported in UTF-16 units.
struct CodePoints {
  std::wstring text;
  std::vector<int> unitOffset;
};

CodePoints ToCodePoints(std::u16string_view units) {
  CodePoints result;
  result.text.reserve(units.size());
  result.unitOffset.reserve(units.size() + 1);
  std::size_t i = 0;
  while (i < units.size()) {
    result.unitOffset.push_back(static_cast<int>(i));
    const char32_t high = units[i];
    if (high >= 0xD800 && high <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      const char32_t low = units[i + 1];
      result.text.push_back(static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00)));
      i += 2;
    } else {
      result.text.push_back(static_cast<wchar_t>(high));  // a lone surrogate stands for itself
      ++i;
    }
  }
  result.unitOffset.push_back(static_cast<int>(units.size()));
  return result;
}

// True when the pattern holds a comment group "(?#...)" outside a character class. The
// component's syntax has no comment groups, and Boost's parser never returns from some
// patterns that put one after a possessive quantifier ("a?+(?#)b"), so such a pattern is
// refused as invalid.
bool HasCommentGroup(const std::u16string& pattern) {
  bool inClass = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c == u'\\') {
      ++i;
    } else if (inClass) {
      inClass = c != u']';
    } else if (c == u'[') {
      inClass = true;
    } else if (c == u'(' && pattern.compare(i, 3, u"(?#") == 0) {
      return true;
    }
  }
  return false;
}

std::optional<Regex> Compile(const VbRegExp& settings) {
  if (HasCommentGroup(settings.Pattern)) return std::nullopt;
  auto flags = boost::regex_constants::perl | boost::regex_constants::no_mod_s;
  if (settings.IgnoreCase) flags |= boost::regex_constants::icase;
  if (!settings.Multiline) flags |= boost::regex_constants::no_mod_m;
  try {
    return Regex(ToCodePoints(settings.Pattern).text, flags);
  } catch (...) {
    return std::nullopt;
  }
}

struct Span {
  int first = -1;
  int length = 0;
};

Span UnitSpan(const CodePoints& subject, const boost::sub_match<WideIterator>& group) {
  if (!group.matched) return {};
  const auto begin = static_cast<std::size_t>(group.first - subject.text.begin());
  const auto end = static_cast<std::size_t>(group.second - subject.text.begin());
  const int first = subject.unitOffset[begin];
  return {first, subject.unitOffset[end] - first};
}

// Every match (or only the first), in order; throws what the engine throws.
std::vector<WideMatch> FindAll(const Regex& regex, const CodePoints& subject, bool global) {
  std::vector<WideMatch> found;
  const auto flags = boost::match_default | boost::match_not_dot_newline;
  boost::regex_iterator<WideIterator, wchar_t, VbRegexTraits> it(subject.text.begin(), subject.text.end(),
                                                                 regex, flags);
  for (const boost::regex_iterator<WideIterator, wchar_t, VbRegexTraits> end; it != end; ++it) {
    found.push_back(*it);
    if (!global) break;
  }
  return found;
}

// $1..$99, $&, $`, $' and $$; any other "$" stands for itself.
void AppendReplacement(std::u16string& out, std::u16string_view replacement, std::u16string_view subject,
                       const CodePoints& points, const WideMatch& match) {
  const int groupCount = static_cast<int>(match.size()) - 1;
  auto appendGroup = [&](int index) {
    const Span span = UnitSpan(points, match[index]);
    if (span.first >= 0) out.append(subject.substr(static_cast<std::size_t>(span.first), span.length));
  };
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char16_t c = replacement[i];
    if (c != u'$' || i + 1 >= replacement.size()) {
      out.push_back(c);
      continue;
    }
    const char16_t next = replacement[i + 1];
    if (next == u'$') {
      out.push_back(u'$');
      ++i;
    } else if (next == u'&') {
      appendGroup(0);
      ++i;
    } else if (next == u'`') {
      const Span whole = UnitSpan(points, match[0]);
      out.append(subject.substr(0, static_cast<std::size_t>(whole.first)));
      ++i;
    } else if (next == u'\'') {
      const Span whole = UnitSpan(points, match[0]);
      out.append(subject.substr(static_cast<std::size_t>(whole.first + whole.length)));
      ++i;
    } else if (next >= u'0' && next <= u'9') {
      const int one = next - u'0';
      const bool hasSecond =
          i + 2 < replacement.size() && replacement[i + 2] >= u'0' && replacement[i + 2] <= u'9';
      const int two = hasSecond ? one * 10 + (replacement[i + 2] - u'0') : 0;
      if (hasSecond && two >= 1 && two <= groupCount) {
        appendGroup(two);
        i += 2;
      } else if (one >= 1 && one <= groupCount) {
        appendGroup(one);
        ++i;
      } else {
        out.push_back(c);
      }
    } else {
      out.push_back(c);
    }
  }
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

const RegExpMatch* RegExpMatchCollection::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &items_[static_cast<std::size_t>(index)];
}

bool VbRegExp::SetProperty(std::string_view name, bool value) {
  if (EqualsIgnoringAsciiCase(name, "IgnoreCase")) {
    IgnoreCase = value;
  } else if (EqualsIgnoringAsciiCase(name, "Multiline")) {
    Multiline = value;
  } else if (EqualsIgnoringAsciiCase(name, "Global")) {
    Global = value;
  } else {
    return false;
  }
  return true;
}

std::shared_ptr<const RegExpMatchCollection> VbRegExp::Execute(std::u16string_view subject) const {
  try {
    const std::optional<Regex> regex = Compile(*this);
    if (!regex) return nullptr;
    const CodePoints points = ToCodePoints(subject);
    std::vector<RegExpMatch> items;
    for (const WideMatch& match : FindAll(*regex, points, Global)) {
      RegExpMatch item;
      const Span whole = UnitSpan(points, match[0]);
      item.firstIndex = whole.first;
      item.length = whole.length;
      item.value = std::u16string(subject.substr(static_cast<std::size_t>(whole.first), whole.length));
      for (std::size_t g = 1; g < match.size(); ++g) {
        RegExpSubMatch sub;
        const Span span = UnitSpan(points, match[static_cast<int>(g)]);
        if (span.first >= 0) {
          sub.matched = true;
          sub.firstIndex = span.first;
          sub.value = std::u16string(subject.substr(static_cast<std::size_t>(span.first), span.length));
        }
        item.subMatches.push_back(std::move(sub));
      }
      items.push_back(std::move(item));
    }
    return std::make_shared<const RegExpMatchCollection>(std::move(items));
  } catch (...) {
    return nullptr;  // the engine gave up (too complex, out of memory)
  }
}

std::optional<std::u16string> VbRegExp::Replace(std::u16string_view subject,
                                                std::u16string_view replacement) const {
  try {
    const std::optional<Regex> regex = Compile(*this);
    if (!regex) return std::nullopt;
    const CodePoints points = ToCodePoints(subject);
    std::u16string out;
    int copied = 0;  // UTF-16 units of the subject already handled
    for (const WideMatch& match : FindAll(*regex, points, Global)) {
      const Span whole = UnitSpan(points, match[0]);
      out.append(
          subject.substr(static_cast<std::size_t>(copied), static_cast<std::size_t>(whole.first - copied)));
      AppendReplacement(out, replacement, subject, points, match);
      copied = whole.first + whole.length;
    }
    out.append(subject.substr(static_cast<std::size_t>(copied)));
    return out;
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace vorel::platform
