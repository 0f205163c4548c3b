// The termios details of the POSIX serial driver, kept apart from the driver
// logic: line settings, exclusive use, modem lines.
#pragma once

struct DtuLineSettings {
  int baud_rate = 9600;
  int parity = 0;     // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int data_bits = 8;  // 5..8
  int stop_bits = 0;  // 0 one, 1 one and a half (taken as two), 2 two
  int flow_control = 0;  // 0 none, 1 CTS/RTS, 2 XON/XOFF
};

// Raw binary line with the given settings. Returns a driver error code:
// 0, kSerialInvalidParam for a setting the line cannot take, or
// kSerialOpenFailed when the terminal refuses the configuration.
int DtuTermiosApply(int fd, const DtuLineSettings &settings);

// Sets a baud rate that has no Bxxx constant (128000, 256000, ...).
bool DtuTermiosSetCustomBaud(int fd, int baud_rate);

// Exclusive use: TIOCEXCL against later opens plus an advisory lock (which
// also holds against a process running as root). Returns 0 or
// kSerialAccessDenied when another program holds the port.
int DtuTermiosLockExclusive(int fd);
void DtuTermiosUnlock(int fd);

// Raw mode with the line's other settings kept: no echo, no line editing, no
// CR/LF translation. A descriptor that is no terminal is left alone (true).
bool DtuTermiosMakeRaw(int fd);

bool DtuTermiosSetModemLine(int fd, int line_bit, bool on);
bool DtuTermiosPurge(int fd, bool receive, bool transmit);
