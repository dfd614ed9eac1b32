// Opens or closes the tray of the computer's CD drive (the first of /dev/cdrom, /dev/sr0).
// False when there is no drive or it refuses.
#pragma once

namespace vorel::platform {

bool SetCdDoor(bool open);

}  // namespace vorel::platform
