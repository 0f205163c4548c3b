// TLS side of the HTTP client (see http_tls.h).
#include "remote/http_tls.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <string>

#include <arpa/inet.h>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "remote/http_socket.h"
#include "remote/openssl_calls.h"

struct tls_conn {
  SSL *ssl = nullptr;
  int fd = -1;
  bool failed = false;  // a fatal error happened: no close_notify may be sent
};

namespace {

// Only reached once OpenSsl() loaded: a context or a connection exists.
const OpenSslCalls &Tls() { return *OpenSsl(); }

// TLS 1.2 suites in the order they are offered; TLS 1.3 keeps OpenSSL's own.
const char kTls12Ciphers[] =
    "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:"
    "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:"
    "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305:"
    "AES128-SHA256:AES128-SHA:!RC4";

constexpr int kCloseWaitMs = 1000;

std::mutex g_tls_mutex;
SSL_CTX *g_ctx = nullptr;  // built on first use, rebuilt after a change
std::string g_ca_file;
int g_verify = 1;
// The user is told once that certificates go unchecked: on the first
// connection after checking was turned off.
std::atomic<bool> g_unchecked_told{false};

// OpenSSL writes to the socket with write(2); a peer that reset the
// connection must give an error, not end the process.
void IgnoreSigpipeOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      signal(SIGPIPE, SIG_IGN);
    }
  });
}

SSL_CTX *BuildContext(const std::string &ca_file, int verify) {
  SSL_CTX *ctx = Tls().SSL_CTX_new(Tls().TLS_client_method());
  if (!ctx) return nullptr;
  Tls().SSL_CTX_ctrl(ctx, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION, nullptr);
  Tls().SSL_CTX_set_cipher_list(ctx, kTls12Ciphers);
  Tls().SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_COMPRESSION);
  Tls().SSL_CTX_ctrl(ctx, SSL_CTRL_MODE, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER, nullptr);
  if (verify) {
    Tls().SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    Tls().SSL_CTX_set_default_verify_paths(ctx);
    if (!ca_file.empty() && Tls().SSL_CTX_load_verify_locations(ctx, ca_file.c_str(), nullptr) != 1) {
      DTU_LOG("cannot load CA file %s.", ca_file.c_str());
      Tls().ERR_clear_error();
    }
  } else {
    Tls().SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
  }
  return ctx;
}

// A reference to the current context (the caller frees it), and whether
// certificates are checked.
SSL_CTX *AcquireContext(int *verify) {
  std::lock_guard<std::mutex> lock(g_tls_mutex);
  if (!g_ctx) g_ctx = BuildContext(g_ca_file, g_verify);
  if (!g_ctx) return nullptr;
  Tls().SSL_CTX_up_ref(g_ctx);
  *verify = g_verify;
  return g_ctx;
}

bool IsIpLiteral(const char *host) {
  unsigned char buf[16];
  return inet_pton(AF_INET, host, buf) == 1 || inet_pton(AF_INET6, host, buf) == 1;
}

// Names the host the certificate must be issued for; sends it as SNI too.
void ExpectHost(SSL *ssl, const char *host, int verify) {
  bool ip = IsIpLiteral(host);
  if (!ip) Tls().SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name, const_cast<char *>(host));
  if (!verify) return;
  if (ip) {
    Tls().X509_VERIFY_PARAM_set1_ip_asc(Tls().SSL_get0_param(ssl), host);
  } else {
    Tls().SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    Tls().SSL_set1_host(ssl, host);
  }
}

// After an SSL call returned `rc`: waits as OpenSSL asks. 1 to call again,
// 0 when the peer closed cleanly, -1 on failure.
int WaitForRetry(tls_conn *conn, int rc, int timeout_ms) {
  int error = Tls().SSL_get_error(conn->ssl, rc);
  if (error == SSL_ERROR_WANT_READ) return http_socket_wait(conn->fd, false, timeout_ms) == 0 ? 1 : -1;
  if (error == SSL_ERROR_WANT_WRITE) return http_socket_wait(conn->fd, true, timeout_ms) == 0 ? 1 : -1;
  if (error == SSL_ERROR_ZERO_RETURN) return 0;
  conn->failed = true;
  Tls().ERR_clear_error();
  return -1;
}

void LogHandshakeFailure(SSL *ssl, const char *host) {
  long verify_result = Tls().SSL_get_verify_result(ssl);
  if (verify_result != X509_V_OK) {
    DTU_LOG("certificate of %s rejected: %s.", host, Tls().X509_verify_cert_error_string(verify_result));
  } else {
    unsigned long error = Tls().ERR_peek_last_error();
    char text[256] = "time-out or connection closed";
    if (error) Tls().ERR_error_string_n(error, text, sizeof(text));
    DTU_LOG("TLS handshake with %s failed: %s.", host, text);
  }
}


void TellCertificateCheckOff(const char *host) {
  DTU_LOG("certificate check is off: %s is not authenticated.", host);
  if (g_unchecked_told.exchange(true)) return;
  const char *format = DtuLangText(DtuTextId::kCertificateCheckOff);
  char text[512];
  std::snprintf(text, sizeof text, format, host);
  DtuMessageBox(text);
}

}  // namespace

void http_tls_configure(const char *ca_file, int verify) {
  std::lock_guard<std::mutex> lock(g_tls_mutex);
  g_ca_file = ca_file ? ca_file : "";
  if (g_verify && !verify) g_unchecked_told = false;
  g_verify = verify ? 1 : 0;
  if (g_ctx) Tls().SSL_CTX_free(g_ctx);  // connections hold their own reference
  g_ctx = nullptr;
}

int http_tls_handshake(int fd, const char *host, int timeout_ms, tls_conn **out) {
  if (OpenSsl() == nullptr) return 24;  // the log says why
  IgnoreSigpipeOnce();
  int verify = 1;
  SSL_CTX *ctx = AcquireContext(&verify);
  if (!ctx) return 24;
  tls_conn *conn = new tls_conn;
  conn->fd = fd;
  conn->ssl = Tls().SSL_new(ctx);
  Tls().SSL_CTX_free(ctx);  // the SSL object holds its own reference
  if (!conn->ssl || Tls().SSL_set_fd(conn->ssl, fd) != 1) {
    conn->failed = true;
    http_tls_close(conn, 0);
    return 24;
  }
  if (!verify) TellCertificateCheckOff(host);
  ExpectHost(conn->ssl, host, verify);
  int64_t deadline = http_now_ms() + timeout_ms;
  for (;;) {
    int rc = Tls().SSL_connect(conn->ssl);
    if (rc == 1) break;
    int64_t left = deadline - http_now_ms();
    if (left <= 0 || WaitForRetry(conn, rc, static_cast<int>(left)) != 1) {
      LogHandshakeFailure(conn->ssl, host);
      conn->failed = true;
      http_tls_close(conn, 0);
      Tls().ERR_clear_error();
      return 24;
    }
  }
  *out = conn;
  return 0;
}

long http_tls_read(tls_conn *conn, void *buf, size_t length, int timeout_ms, bool wait_all, int64_t deadline_ms) {
  size_t done = 0;
  char *dst = static_cast<char *>(buf);
  while (done < length) {
    size_t n = 0;
    int rc = Tls().SSL_read_ex(conn->ssl, dst + done, length - done, &n);
    if (rc == 1) {
      done += n;
      if (!wait_all) break;
      continue;
    }
    const int wait = http_wait_ms(timeout_ms, deadline_ms);
    int next = wait < 0 ? -1 : WaitForRetry(conn, rc, wait);
    if (next == 0) break;
    if (next < 0) return -1;
  }
  return static_cast<long>(done);
}

int http_tls_write_all(tls_conn *conn, const void *buf, size_t length, int timeout_ms, int64_t deadline_ms) {
  if (length == 0) return 0;
  for (;;) {
    size_t n = 0;
    int rc = Tls().SSL_write_ex(conn->ssl, buf, length, &n);
    if (rc == 1) return 0;  // without partial writes, one call sends everything
    const int wait = http_wait_ms(timeout_ms, deadline_ms);
    if (wait < 0 || WaitForRetry(conn, rc, wait) != 1) return -1;
  }
}

void http_tls_close(tls_conn *conn, int timeout_ms) {
  if (!conn) return;
  if (conn->ssl && !conn->failed && Tls().SSL_is_init_finished(conn->ssl)) {
    int bound = timeout_ms < kCloseWaitMs ? timeout_ms : kCloseWaitMs;
    int64_t deadline = http_now_ms() + bound;
    for (;;) {
      int rc = Tls().SSL_shutdown(conn->ssl);
      if (rc == 1) break;
      int64_t left = deadline - http_now_ms();
      if (rc == 0) {
        char sink[512];
        size_t n = 0;
        rc = Tls().SSL_read_ex(conn->ssl, sink, sizeof(sink), &n);  // drain to the peer's close_notify
        if (rc == 1) continue;
      }
      if (left <= 0 || WaitForRetry(conn, rc, static_cast<int>(left)) != 1) break;
    }
  }
  if (conn->ssl) Tls().SSL_free(conn->ssl);
  Tls().ERR_clear_error();
  delete conn;
}
