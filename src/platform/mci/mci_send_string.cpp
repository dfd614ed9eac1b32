#include "platform/mci/mci_send_string.h"

#include <cstring>
#include <mutex>
#include <string>

#include "platform/mci/mci_command.h"
#include "platform/mci/mci_device_table.h"
#include "platform/mci/mci_errors.h"

namespace vorel::platform {
namespace {

// The open media belong to the process, like the facility this layer stands in for.
struct SharedTable {
  std::mutex mutex;
  MciDeviceTable table;
};

SharedTable& Shared() {
  static SharedTable shared;
  return shared;
}

}  // namespace

int MciSendString(std::string_view command, char* reply, int replyLength) {
  const MciParseResult parsed = ParseMciCommand(command);
  if (parsed.error != 0) return parsed.error;
  std::string answer;
  int result = 0;
  {
    SharedTable& shared = Shared();
    std::lock_guard lock(shared.mutex);
    result = shared.table.Execute(parsed.command, answer);
  }
  if (result != 0 || !reply || replyLength <= 0) return result;
  const std::size_t room = static_cast<std::size_t>(replyLength) - 1;
  const std::size_t length = std::min(answer.size(), room);
  std::memcpy(reply, answer.data(), length);
  reply[length] = '\0';
  return answer.size() > room ? mci_error::kParamOverflow : 0;
}

}  // namespace vorel::platform
