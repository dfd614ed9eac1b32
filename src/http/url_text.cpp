#include "http/url_text.h"

namespace vorel {

Text UrlHost(const Text&, bool, bool, std::optional<int>) { return {}; }
int UrlPort(const Text&) { return 0; }
Text UrlPath(const Text&) { return "/"; }

}  // namespace vorel
