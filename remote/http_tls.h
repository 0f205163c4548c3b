// The TLS side of the HTTP client over OpenSSL 3: the process-wide trust
// settings, the client handshake bounded by a time-out, and reads and writes
// through TLS on the client's non-blocking socket.
//
// TLS 1.2 or later. For TLS 1.2 the client offers ECDHE suites with AEAD
// ciphers first, then AES128-SHA256 (0x003C) and AES128-SHA (0x002F), which
// older platforms answer with; RC4 is never offered. The server's certificate
// is checked against the system trust store (plus the configured CA file) and
// against the host name or IP address of the URL, unless checking was turned
// off, in which case every connection logs that it is not authenticated and
// the first one after checking was turned off tells the user (DtuMessageBox:
// a warning box in the GUI, standard error in varnokctl).
#pragma once

#include <cstddef>
#include <cstdint>

struct tls_conn;

// Sets the trust settings for every later connection in the process: a PEM
// file of extra trusted CA certificates (null or empty: none) and whether the
// certificate is checked at all (0: not checked).
void http_tls_configure(const char *ca_file, int verify);

// Runs the handshake on the connected socket within `timeout_ms` (counted from
// the start). 0 and the connection in *out, or 24.
int http_tls_handshake(int fd, const char *host, int timeout_ms, tls_conn **out);

// As http_socket_read, through TLS: count, 0 when the peer closed, -1 failure.
long http_tls_read(tls_conn *conn, void *buf, size_t length, int timeout_ms, bool wait_all, int64_t deadline_ms);

// Writes all bytes as TLS application data; waits as for reading. 0 or -1.
int http_tls_write_all(tls_conn *conn, const void *buf, size_t length, int timeout_ms, int64_t deadline_ms);

// Sends close_notify, reads until the peer's close_notify, an error or a short
// bound of time, and releases the connection. The socket stays open.
void http_tls_close(tls_conn *conn, int timeout_ms);
