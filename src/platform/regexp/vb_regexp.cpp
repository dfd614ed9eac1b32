#include "platform/regexp/vb_regexp.h"

namespace vorel::platform {

const RegExpMatch* RegExpMatchCollection::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &items_[static_cast<std::size_t>(index)];
}

bool VbRegExp::SetProperty(std::string_view, bool) { return false; }

std::shared_ptr<const RegExpMatchCollection> VbRegExp::Execute(std::u16string_view) const { return nullptr; }

std::optional<std::u16string> VbRegExp::Replace(std::u16string_view, std::u16string_view) const {
  return std::nullopt;
}

}  // namespace vorel::platform
