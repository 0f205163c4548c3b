// Scripted HTTP(S) peer for the client's tests (see http_test_server.h).
#include "tests/remote/http_test_server.h"

HttpTestServer::HttpTestServer(Script script, PlatformTlsServer::Options options) {
  ok_ = server_.Start(
      options,
      [this, script](PlatformConnection &connection) {
        std::string head;
        if (!connection.ReadRequestHead(head)) return;
        int index;
        {
          std::lock_guard<std::mutex> lock(lock_);
          index = static_cast<int>(requests_.size());
          requests_.push_back(head);
          ciphers_.push_back(connection.CipherName());
        }
        script(connection, index);
      },
      error_);
}

std::vector<std::string> HttpTestServer::Requests() {
  std::lock_guard<std::mutex> lock(lock_);
  return requests_;
}

std::vector<std::string> HttpTestServer::Ciphers() {
  std::lock_guard<std::mutex> lock(lock_);
  return ciphers_;
}

std::string HttpTestServer::Answer(int status, const std::string &body, const std::string &extra_headers) {
  return "HTTP/1.1 " + std::to_string(status) + " X\r\nConnection: close\r\n" + extra_headers +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
