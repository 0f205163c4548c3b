// The TCP side of the HTTP client: IPv4 resolution, a non-blocking connect
// bounded by a time-out, and reads and writes that wait on a non-blocking
// socket for at most a time-out each. Result codes are the client's.
#pragma once

#include <cstddef>
#include <cstdint>

// Milliseconds of a steady clock, for deadlines.
int64_t http_now_ms();

// How long the next wait may take: `timeout_ms`, but no longer than is left
// until `deadline_ms` (http_now_ms time; 0: no deadline). -1 once the
// deadline has passed.
int http_wait_ms(int timeout_ms, int64_t deadline_ms);

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
// wait is bounded by `timeout_ms` and all of them by `deadline_ms` (see
// http_wait_ms). Returns the count (0: peer closed), or -1.
long http_socket_read(int fd, void *buf, size_t length, int timeout_ms, bool wait_all, int64_t deadline_ms);

// Writes all `length` bytes; waits bounded as for reading. 0 or -1.
int http_socket_write_all(int fd, const void *buf, size_t length, int timeout_ms, int64_t deadline_ms);

void http_socket_close(int fd);
