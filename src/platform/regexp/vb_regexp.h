// A regular-expression component with the members of the classic scripting RegExp
// object, over Boost.Regex. Standard types only.
//
// Properties IgnoreCase, Multiline, Global, Pattern (settable by name too; an unknown
// name is rejected). Execute gives a match collection: Count, Item(i from 0) with Value,
// FirstIndex (UTF-16 units from 0), Length and SubMatches. Replace understands $1..$99,
// $&, $`, $' and $$. "." matches neither CR nor LF; with Multiline ^ and $ also match at
// line breaks. An invalid pattern or a search that grows too complex makes Execute and
// Replace fail (nullptr / std::nullopt); no exception leaves this layer.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorel::platform {

struct RegExpSubMatch {
  std::u16string value;  // empty when the group took no part in the match
  bool matched = false;
  int firstIndex = -1;  // UTF-16 units from 0; -1 when the group took no part
};

struct RegExpMatch {
  std::u16string value;
  int firstIndex = 0;  // UTF-16 units from the start of the subject
  int length = 0;      // UTF-16 units
  std::vector<RegExpSubMatch> subMatches;
};

class RegExpMatchCollection {
 public:
  explicit RegExpMatchCollection(std::vector<RegExpMatch> items) : items_(std::move(items)) {}
  int Count() const { return static_cast<int>(items_.size()); }
  // Item `index` from 0; nullptr outside 0 .. Count() - 1.
  const RegExpMatch* Item(int index) const;

 private:
  std::vector<RegExpMatch> items_;
};

class VbRegExp {
 public:
  bool IgnoreCase = false;
  bool Multiline = false;
  bool Global = false;
  std::u16string Pattern;

  // Writes a boolean property by name ("IgnoreCase", "Multiline", "Global", any letter
  // case); false for a name the component does not have, which changes nothing.
  bool SetProperty(std::string_view name, bool value);

  // All matches (Global) or the first; nullptr when the pattern is invalid or the search
  // exceeds the engine's complexity bound.
  std::shared_ptr<const RegExpMatchCollection> Execute(std::u16string_view subject) const;
  // The subject with every match (Global) or the first replaced.
  std::optional<std::u16string> Replace(std::u16string_view subject, std::u16string_view replacement) const;
};

}  // namespace vorel::platform
