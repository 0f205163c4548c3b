// A scripted HTTP(S) peer for the client's tests: a real TLS server on
// loopback whose every connection records the request head and then runs the
// script of the test (write bytes, sleep, close early).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sim/platform_tls_server.h"

class HttpTestServer {
 public:
  // The script gets the connection and the index of the request (0, 1, ...).
  using Script = std::function<void(PlatformConnection &connection, int index)>;

  explicit HttpTestServer(Script script, PlatformTlsServer::Options options = PlatformTlsServer::Options());
  ~HttpTestServer() { server_.Stop(); }

  bool Ok() const { return ok_; }
  const std::string &Error() const { return error_; }
  std::string Url(const std::string &path_and_query = "") const { return server_.BaseUrl() + path_and_query; }
  const std::string &CaFile() const { return server_.CaFile(); }
  int Port() const { return server_.Port(); }
  std::vector<std::string> Requests();
  std::vector<std::string> Ciphers();

  // A whole answer: status line, Connection: close, Content-Length and body.
  static std::string Answer(int status, const std::string &body, const std::string &extra_headers = "");

 private:
  PlatformTlsServer server_;
  std::mutex lock_;
  std::vector<std::string> requests_;
  std::vector<std::string> ciphers_;
  bool ok_ = false;
  std::string error_;
};
