// Internal to the window layer: the edge where code-page-936 texts meet QString, and
// the creation of Qt children whose lifetime their Qt parent manages.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace vorel::platform {

QString ToQString(std::string_view cp936);
std::string FromQString(const QString& text);

// A new Qt object whose owner is a Qt parent: one passed among `args`, or the one the
// caller hands it to right away (a tree for its items).
template <class T, class... Args>
T* MakeOwnedByParent(Args&&... args) {
  return std::make_unique<T>(std::forward<Args>(args)...).release();
}

}  // namespace vorel::platform
