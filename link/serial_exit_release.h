// The serial ports this process holds open, remembered so that a fatal signal
// can hand them back as it found them: exclusive use dropped and the
// terminal settings they had before the open restored. Otherwise the
// exclusive flag of a pseudo-terminal outlives the process, and later opens
// by ordinary users fail with "in use".
#pragma once

#include <termios.h>

// Remembers an open port and the settings to restore. Not for signal
// handlers. Up to 16 ports at once; more are simply not remembered.
void DtuSerialRememberOpen(int fd, const termios &original);

// Forgets a port before it is closed (a closed number may be reused).
void DtuSerialForget(int fd);

// Restores every remembered port. Async-signal-safe: for a handler that
// ends the process.
void DtuSerialReleaseAllForExit();
