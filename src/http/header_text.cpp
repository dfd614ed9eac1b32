#include "http/header_text.h"

namespace vorel {

Text NormalizeHeaders(const Text&) { return {}; }
Text CapitalizeFirst(const Text& text) { return text; }
Text HeaderLineValue(const Text&) { return {}; }
Text HeaderValue(const Text&, const Text&) { return {}; }

}  // namespace vorel
