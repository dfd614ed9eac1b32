#include "text/regexp_object.h"

#include "platform/regexp/com_apartment.h"

namespace vorel {

Text ReplaceQuoteMarker(const Text& text) { return text; }

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
RegExpObject RegExpObject::Copy() const { return RegExpObject(); }
bool RegExpObject::CreateAndExecute(const Text&, const Text&, bool, bool, bool, bool) { return false; }
void RegExpObject::NoOp() {}
Text RegExpObject::GetPattern() const { return {}; }
Text RegExpObject::ReplaceMatches(const Text&) const { return {}; }
int RegExpObject::MatchCount() const { return 0; }
Text RegExpObject::MatchText(int, int* position) const {
  if (position) *position = -1;
  return {};
}
Text RegExpObject::SubMatchText(int, int, int* position) const {
  if (position) *position = -1;
  return {};
}
int RegExpObject::SubMatchCount() const { return 0; }

}  // namespace vorel
