#include "platform/mci/cd_door.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <initializer_list>

namespace vorel::platform {

bool SetCdDoor(bool open) {
  for (const char* device : std::initializer_list<const char*>{"/dev/cdrom", "/dev/sr0"}) {
    const int fd = ::open(device, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    const bool done = ::ioctl(fd, open ? CDROMEJECT : CDROMCLOSETRAY, 0) == 0;
    ::close(fd);
    return done;
  }
  return false;
}

}  // namespace vorel::platform
