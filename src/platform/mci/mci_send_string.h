// The media command interface: one text command in, a number and a text reply out.
//
// MciSendString parses `command` (see mci_command.h), carries it out on the process's
// table of open media (mci_device_table.h) and returns 0 for success or an error number
// from mci_errors.h. On success, when replyLength > 0, it writes the reply (possibly
// empty) zero-terminated into `reply`, at most replyLength - 1 bytes; a longer reply is
// cut there and the call returns kParamOverflow. On failure it writes nothing.
// Calls from several threads are carried out one at a time.
#pragma once

#include <string_view>

namespace vorel::platform {

int MciSendString(std::string_view command, char* reply, int replyLength);

}  // namespace vorel::platform
