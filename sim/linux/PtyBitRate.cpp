// The kernel's termios2 gives the rate as a number; it cannot share a file with the C
// library's termios header, whose structure has the same name.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace sim {

int TerminalBitRate(int fd) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return 0;
    return static_cast<int>(tio.c_ospeed);
}

}  // namespace sim
