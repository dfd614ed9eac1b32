#include "platform/regexp/com_apartment.h"

namespace vorel::platform {

namespace {
thread_local int initCount = 0;
}

void ComInitialize() { ++initCount; }
void ComUninitialize() {
  if (initCount > 0) --initCount;
}
int ComInitCount() { return initCount; }

}  // namespace vorel::platform
