// Waits for a condition while the Qt event loop keeps running, with a generous bound.
#pragma once

#include <chrono>
#include <functional>

namespace vorel::test {

// True as soon as `condition` holds; false when `bound` passed first.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds bound = std::chrono::seconds(20));

}  // namespace vorel::test
