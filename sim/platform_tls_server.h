// A TLS (or plain TCP) server on the loopback address with a certificate
// made at start. Each accepted connection runs a handler on a thread of its
// own; the handler reads the request head and writes whatever bytes it likes,
// which makes the server both the platform simulator's front and a scripted
// peer for the HTTP client's tests.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/platform_cert.h"

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

class PlatformTlsServer;

// One accepted connection, as the handler sees it.
class PlatformConnection {
 public:
  PlatformConnection(PlatformTlsServer *server, int fd, SSL *ssl) : server_(server), fd_(fd), ssl_(ssl) {}
  // Reads up to the blank line that ends a request head (at most 64 KiB).
  // False when the peer closed, sent too much or timeout_ms passed.
  bool ReadRequestHead(std::string &head, int timeout_ms = 5000);
  bool Write(const std::string &bytes);
  // Sleeps, but wakes when the server stops. False when it is stopping.
  bool Sleep(int ms);
  // The TLS cipher suite the handshake chose (empty for plain TCP).
  std::string CipherName() const;

 private:
  PlatformTlsServer *server_;
  int fd_;
  SSL *ssl_;
};

class PlatformTlsServer {
 public:
  struct Options {
    bool tls = true;
    PlatformCertOptions cert;
    std::string tls12_ciphers;  // empty: OpenSSL's defaults
    int max_tls_version = 0;    // e.g. TLS1_2_VERSION; 0: no cap
  };
  using Handler = std::function<void(PlatformConnection &connection)>;

  PlatformTlsServer();
  ~PlatformTlsServer();
  PlatformTlsServer(const PlatformTlsServer &) = delete;
  PlatformTlsServer &operator=(const PlatformTlsServer &) = delete;

  // Listens on 127.0.0.1 (port 0: a free one). False with error_text on failure.
  bool Start(const Options &options, Handler handler, std::string &error_text, int port = 0);
  // Stops accepting, wakes sleeping handlers, waits for them, removes the files.
  void Stop();

  int Port() const { return port_; }
  const std::string &CaFile() const { return certs_.ca_file; }
  // "https://127.0.0.1:<port>" (or "http://..." without TLS).
  std::string BaseUrl() const;

 private:
  friend class PlatformConnection;
  void AcceptLoop();
  void Serve(int fd);
  void ReapFinishedWorkers();
  bool SleepFor(int ms);

  Options options_;
  Handler handler_;
  PlatformCertFiles certs_;
  SSL_CTX *ctx_ = nullptr;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::mutex lock_;
  std::condition_variable wake_;
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::list<Worker> workers_;
};
