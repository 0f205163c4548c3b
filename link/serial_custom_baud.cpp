// Baud rates without a Bxxx constant go through the kernel's termios2
// interface. Its header clashes with <termios.h>, hence this file of its own.
#include <asm/termbits.h>
#include <sys/ioctl.h>

bool DtuTermiosSetCustomBaud(int fd, int baud_rate) {
  struct termios2 tio2;
  if (ioctl(fd, TCGETS2, &tio2) != 0) return false;
  tio2.c_cflag &= ~CBAUD;
  tio2.c_cflag |= BOTHER;
  tio2.c_ispeed = static_cast<speed_t>(baud_rate);
  tio2.c_ospeed = static_cast<speed_t>(baud_rate);
  return ioctl(fd, TCSETS2, &tio2) == 0;
}
