#include "http/marker_text.h"

namespace vorel {

Text TextBetween(const Text&, const Text&, const Text&, int, bool) { return {}; }
Text TextBefore(const Text&, const Text&, std::optional<int>, bool) { return {}; }
Text TextAfter(const Text&, const Text&, std::optional<int>, bool) { return {}; }

}  // namespace vorel
