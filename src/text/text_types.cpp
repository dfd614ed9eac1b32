#include "text/text_types.h"

#include "text/events.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

// Stops the program when `index` lies outside 1 .. count.
void CheckIndex(int index, int count) {
  if (index < 1) FatalError(4, FromUtf8("数组成员引用下标必须大于等于1"));
  if (index > count) FatalError(1, FromUtf8("数组成员引用下标超出定义范围"));
}

}  // namespace

const Text& TextArray::operator[](int index) const {
  CheckIndex(index, Count());
  return members_[static_cast<std::size_t>(index) - 1];
}

Text& TextArray::operator[](int index) {
  CheckIndex(index, Count());
  return members_[static_cast<std::size_t>(index) - 1];
}

}  // namespace vorel
