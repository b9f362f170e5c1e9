// The kernel's termios2 interface takes any bit rate; it cannot share a file with the C
// library's termios header, whose structure has the same name.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kx6500mon {

bool SetCustomBitRate(int fd, int bitRate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD);
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = static_cast<speed_t>(bitRate);
    tio.c_ospeed = static_cast<speed_t>(bitRate);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

}  // namespace kx6500mon
