// Modal message boxes. Title and text are code page 936; CR LF in the text breaks a line.
// Needs the application object that start-up creates.
#pragma once

#include <string>

namespace vorel::platform {

// An error box (error icon, one OK button); returns when the user dismisses it.
void ShowErrorBox(const std::string& title, const std::string& text);

}  // namespace vorel::platform
