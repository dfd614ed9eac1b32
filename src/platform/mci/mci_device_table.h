// The media that are open, by alias, and the commands carried out on them.
//
// Aliases are matched without regard to case. A command for an alias under which no
// media is open is refused (kInvalidDeviceName); "open" under an alias in use is refused
// (kDuplicateAlias). Replies are decimal milliseconds for positions and lengths, "playing",
// "paused" or "stopped" for the mode, "milliseconds" for the time format, 0 .. 1000 for
// volume and brightness. "close all" (or "close A all") closes every open media.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/mci/gst_playback.h"
#include "platform/mci/mci_command.h"

namespace vorel::platform {

class MciDeviceTable {
 public:
  // 0 and the reply (empty when the command answers nothing), or an error number.
  int Execute(const MciCommand& command, std::string& reply);

 private:
  struct Device {
    std::unique_ptr<GstPlayback> playback;
    int brightness = 500;  // kept for video, which this build does not show
  };

  int Open(const MciCommand& command);
  int Close(const MciCommand& command);
  int SetDoor(const MciCommand& command);
  int Play(Device& device, const MciCommand& command);
  int Seek(Device& device, const MciCommand& command);
  int Status(Device& device, const MciCommand& command, std::string& reply);

  std::map<std::string, Device> devices_;
};

}  // namespace vorel::platform
