// Timing that follows from a line's settings: how long one character takes
// on the wire, and the quiet gap after which a burst of received bytes
// counts as ended.
#pragma once

// Bits one character occupies: a start bit, the data bits, a parity bit
// unless parity is none, and the stop bits (driver codes: 0 one, 1 one and a
// half, 2 two).
double DtuCharacterBits(int data_bits, int parity, int stop_bits);

// The quiet gap that ends a burst: the longer of 20 ms and 3.5 character
// times at the baud rate (the frame gap of Modbus RTU). Below about 500 baud
// a character takes longer than 20 ms, and a fixed 20 ms gap would end a
// burst after every byte.
unsigned int DtuQuietGapMs(int baud, int data_bits, int parity, int stop_bits);
