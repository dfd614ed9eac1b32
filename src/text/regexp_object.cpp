#include "text/regexp_object.h"

#include "platform/codepage/code_page_936.h"
#include "platform/regexp/com_apartment.h"
#include "text/text_primitives.h"
#include "text/utf8_literal.h"

namespace vorel {

Text ReplaceQuoteMarker(const Text& text) { return ReplaceText(text, FromUtf8("#引号"), "\"", true); }

RegExpObject::RegExpObject() {
  platform::ComInitialize();
  initialized_ = true;
}
RegExpObject::~RegExpObject() { Destroy(); }
RegExpObject::RegExpObject(RegExpObject&& other) noexcept
    : regExp_(std::move(other.regExp_)),
      matches_(std::move(other.matches_)),
      subject_(std::move(other.subject_)),
      hasSubject_(other.hasSubject_),
      initialized_(other.initialized_) {
  other.hasSubject_ = false;
  other.initialized_ = false;
}
RegExpObject& RegExpObject::operator=(RegExpObject&& other) noexcept {
  if (this != &other) {
    Destroy();
    regExp_ = std::move(other.regExp_);
    matches_ = std::move(other.matches_);
    subject_ = std::move(other.subject_);
    hasSubject_ = other.hasSubject_;
    initialized_ = other.initialized_;
    other.hasSubject_ = false;
    other.initialized_ = false;
  }
  return *this;
}
void RegExpObject::Destroy() {
  regExp_.reset();
  matches_.reset();
  subject_.clear();
  hasSubject_ = false;
  if (initialized_) {
    initialized_ = false;
    platform::ComUninitialize();
  }
}
RegExpObject RegExpObject::Copy() const {
  RegExpObject copy;  // holds an apartment initialisation of its own, released by its Destroy
  copy.regExp_ = regExp_;
  copy.matches_ = matches_;
  copy.subject_ = subject_;
  copy.hasSubject_ = hasSubject_;
  return copy;
}

bool RegExpObject::CreateAndExecute(const Text& pattern, const Text& subject, bool caseSensitive,
                                    bool multiline, bool global, bool replaceQuoteMarker) {
  regExp_.reset();
  matches_.reset();
  regExp_ = std::make_shared<platform::VbRegExp>();
  regExp_->SetProperty("IgnoreCase", !caseSensitive);
  regExp_->SetProperty("Multiline", multiline);
  regExp_->SetProperty("Singleline", true);  // not a property of the component: rejected, no effect
  regExp_->SetProperty("Global", global);
  regExp_->Pattern = platform::Cp936ToUtf16(replaceQuoteMarker ? ReplaceQuoteMarker(pattern) : pattern);
  subject_ = platform::Cp936ToUtf16(subject);
  hasSubject_ = true;
  matches_ = regExp_->Execute(subject_);
  return matches_ != nullptr;
}

void RegExpObject::NoOp() {}

Text RegExpObject::GetPattern() const { return regExp_ ? platform::Utf16ToCp936(regExp_->Pattern) : Text(); }

Text RegExpObject::ReplaceMatches(const Text& replacement) const {
  if (!regExp_) return {};
  const std::optional<std::u16string> replaced =
      regExp_->Replace(subject_, platform::Cp936ToUtf16(replacement));
  return replaced ? platform::Utf16ToCp936(*replaced) : Text();
}

int RegExpObject::MatchCount() const { return matches_ ? matches_->Count() : 0; }

Text RegExpObject::MatchText(int matchIndex, int* position) const {
  const platform::RegExpMatch* match = matches_ ? matches_->Item(matchIndex - 1) : nullptr;
  if (match == nullptr) {
    if (position != nullptr) *position = -1;
    return {};
  }
  Text value = platform::Utf16ToCp936(match->value);
  if (position != nullptr) *position = BytePosition(match->firstIndex, value);
  return value;
}

Text RegExpObject::SubMatchText(int matchIndex, int subMatchIndex, int* position) const {
  const platform::RegExpMatch* match = matches_ ? matches_->Item(matchIndex - 1) : nullptr;
  if (match == nullptr || subMatchIndex < 1 || subMatchIndex > static_cast<int>(match->subMatches.size())) {
    if (position != nullptr) *position = -1;
    return {};
  }
  const platform::RegExpSubMatch& sub = match->subMatches[static_cast<std::size_t>(subMatchIndex - 1)];
  Text value = platform::Utf16ToCp936(sub.value);
  if (position != nullptr) *position = sub.matched ? BytePosition(sub.firstIndex, value) : -1;
  return value;
}

int RegExpObject::SubMatchCount() const {
  const platform::RegExpMatch* first = matches_ ? matches_->Item(0) : nullptr;
  return first ? static_cast<int>(first->subMatches.size()) : 0;
}

int RegExpObject::BytePosition(int firstIndex, const Text& value) const {
  const Text subjectText = platform::Utf16ToCp936(subject_);
  // The bytes of the subject before the match: exact whenever the subject converts back
  // to the same bytes character by character.
  const auto before = static_cast<int>(
      platform::Utf16ToCp936(std::u16string_view(subject_).substr(0, static_cast<std::size_t>(firstIndex)))
          .size());
  if (TextMid(subjectText, before + 1, TextLength(value)) == value) return before;
  // Otherwise search for the text from byte firstIndex on: a character of the code page
  // never takes fewer bytes than UTF-16 units, so the match lies at or after that byte.
  const int found = FindText(subjectText, value, firstIndex, regExp_ && regExp_->IgnoreCase);
  return found == -1 ? -1 : found - 1;
}

}  // namespace vorel
