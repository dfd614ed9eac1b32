// RegExpObject: one regular-expression search over a code page 936 subject.
//
// Construction initialises the component apartment for the thread (ComInitialize);
// Destroy releases the component, the matches and the subject and uninitialises it once
// (idempotent; the destructor calls it when the owner did not). CreateAndExecute creates
// a fresh component, sets it up and searches; the queries read the last search's matches
// with 1-based indexes. Nothing fails loudly: a failed search, a query before any search
// or an index outside the matches gives false, 0 or the empty text.
// Texts cross to the component as UTF-16; positions handed back are 0-based byte offsets
// into the code page 936 subject.
#pragma once

#include <memory>
#include <string>

#include "platform/regexp/vb_regexp.h"
#include "text/text_types.h"

namespace vorel {

// The marker convention shared by patterns and TextBetween markers: every "#引号"
// replaced by a double quote (exact bytes, all occurrences).
Text ReplaceQuoteMarker(const Text& text);

class RegExpObject {
 public:
  RegExpObject();
  ~RegExpObject();
  RegExpObject(const RegExpObject&) = delete;
  RegExpObject& operator=(const RegExpObject&) = delete;
  RegExpObject(RegExpObject&& other) noexcept;
  RegExpObject& operator=(RegExpObject&& other) noexcept;

  void Destroy();
  // A new object sharing this one's component and matches, with a copy of the subject.
  RegExpObject Copy() const;
  bool CreateAndExecute(const Text& pattern, const Text& subject, bool caseSensitive = false,
                        bool multiline = true, bool global = true, bool replaceQuoteMarker = false);
  void NoOp();
  Text GetPattern() const;
  Text ReplaceMatches(const Text& replacement) const;
  int MatchCount() const;
  // Match `matchIndex` (from 1); `position` receives its 0-based byte offset (-1 when
  // there is no such match).
  Text MatchText(int matchIndex, int* position = nullptr) const;
  // Group `subMatchIndex` (from 1) of match `matchIndex` (from 1); `position` as above.
  Text SubMatchText(int matchIndex, int subMatchIndex, int* position = nullptr) const;
  int SubMatchCount() const;

 private:
  // 0-based byte offset in the code page 936 subject of `value` found at UTF-16 offset
  // firstIndex; -1 when it cannot be found.
  int BytePosition(int firstIndex, const Text& value) const;

  std::shared_ptr<platform::VbRegExp> regExp_;
  std::shared_ptr<const platform::RegExpMatchCollection> matches_;
  std::u16string subject_;
  bool hasSubject_ = false;   // false: the subject still holds the integer 0
  bool initialized_ = false;  // this object holds one apartment initialisation
};

}  // namespace vorel
