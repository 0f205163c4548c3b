// The TCP side of the HTTP client: IPv4 resolution, a non-blocking connect
// bounded by a time-out, and reads and writes that wait on a non-blocking
// socket for at most a time-out each. Result codes are the client's.
#pragma once

#include <cstddef>
#include <cstdint>

// Milliseconds of a steady clock, for deadlines.
int64_t http_now_ms();

// Resolves `host` (dotted IPv4 or a name whose first address is IPv4),
// creates the socket (linger 0, non-blocking) and connects within
// `timeout_ms`. 0 and the socket in *fd_out, or 9, 10, 11, 12, 13 or 14.
int http_socket_connect(const char *host, int port, int timeout_ms, int *fd_out);

// Waits until the socket is readable (for_write false) or writable, for at
// most `timeout_ms`, retrying after signals with the time that is left, and
// checks the socket's pending error. 0 ready, -1 timed out or failed.
int http_socket_wait(int fd, bool for_write, int timeout_ms);

// Reads into `buf`. With `wait_all` it returns once `length` bytes have come
// or the peer has closed; without it, as soon as some bytes have come. Each
// wait is bounded by `timeout_ms`. Returns the count (0: peer closed), or -1.
long http_socket_read(int fd, void *buf, size_t length, int timeout_ms, bool wait_all);

// Writes all `length` bytes; each wait bounded by `timeout_ms`. 0 or -1.
int http_socket_write_all(int fd, const void *buf, size_t length, int timeout_ms);

void http_socket_close(int fd);
