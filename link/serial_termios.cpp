#include "link/serial_termios.h"

#include <cerrno>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/serial_error.h"

namespace {

struct BaudEntry {
  int rate;
  speed_t code;
};

const BaudEntry kBauds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

bool StandardBaud(int rate, speed_t *code) {
  for (const auto &entry : kBauds) {
    if (entry.rate == rate) {
      *code = entry.code;
      return true;
    }
  }
  return false;
}

bool ApplyCharacterFormat(termios &tio, const DtuLineSettings &s) {
  tio.c_cflag &= ~CSIZE;
  switch (s.data_bits) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    case 8: tio.c_cflag |= CS8; break;
    default: return false;
  }
  tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  switch (s.parity) {
    case 0: break;
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
    case 3: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
    default: return false;
  }
  if (s.stop_bits < 0 || s.stop_bits > 2) return false;
  if (s.stop_bits == 0) tio.c_cflag &= ~CSTOPB;
  else tio.c_cflag |= CSTOPB;
  return true;
}

bool ApplyFlowControl(termios &tio, int flow) {
  tio.c_cflag &= ~CRTSCTS;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  switch (flow) {
    case 0: return true;
    case 1: tio.c_cflag |= CRTSCTS; return true;
    case 2: tio.c_iflag |= IXON | IXOFF; return true;
    default: return false;
  }
}

}  // namespace

int DtuTermiosApply(int fd, const DtuLineSettings &settings) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return kSerialOpenFailed;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  // VMIN 1: an empty port reads EAGAIN (the descriptor is non-blocking), so
  // a read of 0 bytes can only mean the line hung up.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (!ApplyCharacterFormat(tio, settings) || !ApplyFlowControl(tio, settings.flow_control)) {
    return kSerialInvalidParam;
  }
  if (settings.baud_rate <= 0) return kSerialInvalidParam;
  speed_t code = B9600;
  const bool standard = StandardBaud(settings.baud_rate, &code);
  cfsetispeed(&tio, code);
  cfsetospeed(&tio, code);
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return kSerialOpenFailed;
  if (!standard && !DtuTermiosSetCustomBaud(fd, settings.baud_rate)) return kSerialInvalidParam;
  return 0;
}

int DtuTermiosLockExclusive(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return kSerialAccessDenied;
  // A pseudo-terminal master or an unusual driver may refuse TIOCEXCL; the
  // advisory lock above already keeps other instances of this tool out.
  ioctl(fd, TIOCEXCL);
  return 0;
}

void DtuTermiosUnlock(int fd) {
  ioctl(fd, TIOCNXCL);
  flock(fd, LOCK_UN);
}

bool DtuTermiosSetModemLine(int fd, int line_bit, bool on) {
  return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line_bit) == 0;
}

bool DtuTermiosPurge(int fd, bool receive, bool transmit) {
  int queue = receive && transmit ? TCIOFLUSH : (receive ? TCIFLUSH : TCOFLUSH);
  if (!receive && !transmit) return true;
  return tcflush(fd, queue) == 0;
}

bool DtuTermiosMakeRaw(int fd) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return true;  // not a terminal: nothing to set
  cfmakeraw(&tio);
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}
