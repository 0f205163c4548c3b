// Loopback TLS server of the platform simulator (see platform_tls_server.h).
#include "sim/platform_tls_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr int kSocketTimeoutMs = 5000;

void SetSocketTimeouts(int fd, int ms) {
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
}

SSL_CTX *ServerContext(const PlatformTlsServer::Options &options, const PlatformCertFiles &certs,
                       std::string &error_text) {
  SSL_CTX *ctx = SSL_CTX_new(TLS_server_method());
  if (!ctx) return nullptr;
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  if (options.max_tls_version) SSL_CTX_set_max_proto_version(ctx, options.max_tls_version);
  if (!options.tls12_ciphers.empty()) SSL_CTX_set_cipher_list(ctx, options.tls12_ciphers.c_str());
  if (SSL_CTX_use_certificate_file(ctx, certs.cert_file.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_use_PrivateKey_file(ctx, certs.key_file.c_str(), SSL_FILETYPE_PEM) != 1) {
    error_text = "cannot load the server certificate";
    SSL_CTX_free(ctx);
    return nullptr;
  }
  return ctx;
}

}  // namespace

bool PlatformConnection::ReadRequestHead(std::string &head, int timeout_ms) {
  head.clear();
  SetSocketTimeouts(fd_, timeout_ms);
  char buf[2048];
  while (head.find("\r\n\r\n") == std::string::npos) {
    if (head.size() > kMaxHead) return false;
    long n = ssl_ ? SSL_read(ssl_, buf, sizeof(buf)) : recv(fd_, buf, sizeof(buf), 0);
    if (n <= 0) return false;
    head.append(buf, static_cast<size_t>(n));
  }
  head.resize(head.find("\r\n\r\n") + 4);
  return true;
}

bool PlatformConnection::Write(const std::string &bytes) {
  if (bytes.empty()) return true;
  if (ssl_) return SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size())) > 0;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool PlatformConnection::Sleep(int ms) { return server_->SleepFor(ms); }

std::string PlatformConnection::CipherName() const {
  return ssl_ ? SSL_CIPHER_get_name(SSL_get_current_cipher(ssl_)) : "";
}

PlatformTlsServer::PlatformTlsServer() = default;

PlatformTlsServer::~PlatformTlsServer() { Stop(); }

bool PlatformTlsServer::Start(const Options &options, Handler handler, std::string &error_text,
                              int port) {
  signal(SIGPIPE, SIG_IGN);  // a client that resets must not end the simulator
  options_ = options;
  handler_ = std::move(handler);
  if (options_.tls) {
    if (!PlatformMakeCertificates(options_.cert, certs_, error_text)) return false;
    ctx_ = ServerContext(options_, certs_, error_text);
    if (!ctx_) return false;
  }
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t len = sizeof(addr);
  if (listen_fd_ < 0 || bind(listen_fd_, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0 ||
      listen(listen_fd_, 64) != 0 ||
      getsockname(listen_fd_, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
    error_text = "cannot listen on 127.0.0.1";
    Stop();
    return false;
  }
  port_ = ntohs(addr.sin_port);
  stopping_ = false;
  acceptor_ = std::thread(&PlatformTlsServer::AcceptLoop, this);
  return true;
}

void PlatformTlsServer::Stop() {
  {
    std::lock_guard<std::mutex> lock(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (acceptor_.joinable()) acceptor_.join();
  std::list<Worker> workers;
  {
    std::lock_guard<std::mutex> lock(lock_);
    workers.swap(workers_);
  }
  for (auto &worker : workers) worker.thread.join();
  if (listen_fd_ >= 0) close(listen_fd_);
  listen_fd_ = -1;
  if (ctx_) SSL_CTX_free(ctx_);
  ctx_ = nullptr;
  PlatformRemoveCertificates(certs_);
  certs_ = PlatformCertFiles();
}

std::string PlatformTlsServer::BaseUrl() const {
  return std::string(options_.tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

bool PlatformTlsServer::SleepFor(int ms) {
  std::unique_lock<std::mutex> lock(lock_);
  wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
  return !stopping_;
}

void PlatformTlsServer::AcceptLoop() {
  while (!stopping_) {
    pollfd pfd{listen_fd_, POLLIN, 0};
    if (poll(&pfd, 1, 50) <= 0) continue;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ReapFinishedWorkers();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard<std::mutex> lock(lock_);
    workers_.push_back(Worker{std::thread([this, fd, done] {
                                Serve(fd);
                                *done = true;
                              }),
                              done});
  }
}

void PlatformTlsServer::ReapFinishedWorkers() {
  std::list<Worker> finished;
  {
    std::lock_guard<std::mutex> lock(lock_);
    for (auto it = workers_.begin(); it != workers_.end();) {
      auto next = std::next(it);
      if (it->done->load()) finished.splice(finished.end(), workers_, it);
      it = next;
    }
  }
  for (auto &worker : finished) worker.thread.join();
}

void PlatformTlsServer::Serve(int fd) {
  int yes = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
  SetSocketTimeouts(fd, kSocketTimeoutMs);
  SSL *ssl = nullptr;
  if (ctx_) {
    ssl = SSL_new(ctx_);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) != 1) {  // e.g. a client that rejected the certificate
      SSL_free(ssl);
      ERR_clear_error();
      close(fd);
      return;
    }
  }
  PlatformConnection connection(this, fd, ssl);
  handler_(connection);
  if (ssl) {
    SSL_shutdown(ssl);
    SSL_free(ssl);
    ERR_clear_error();
  }
  shutdown(fd, SHUT_WR);
  char sink[512];
  SetSocketTimeouts(fd, 200);
  while (recv(fd, sink, sizeof(sink), 0) > 0) {
  }
  close(fd);
}
