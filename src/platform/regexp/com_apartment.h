// Per-thread initialisation count standing in for the COM apartment that the scripting
// RegExp component needs. Every ComInitialize must be paired with one ComUninitialize.
#pragma once

namespace vorel::platform {

void ComInitialize();
void ComUninitialize();  // never lets the count fall below 0
int ComInitCount();      // the calling thread's current count

}  // namespace vorel::platform
