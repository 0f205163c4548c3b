// The REST side of the platform simulator: an HTTPS server on loopback that
// answers the four calls of the cloud platform (login, logout, device count,
// device list) for a set of accounts and products, with faults on request.
//
// Faults: set for every answer with SetFault, or for one request by adding
// "simFault=slow|truncate|redirect|huge" to its query ("simDelayMs=N" sets the
// delay of "slow"). slow answers after the delay; truncate announces the full
// length and closes after half the body; redirect answers every request with a
// redirect to itself; huge announces a Content-Length of 10^12 bytes.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sim/platform_tls_server.h"

struct PlatformSimDevice {
  std::string imei;  // empty: listed without an "imei" member
  std::string name;
};

struct PlatformSimProduct {
  std::string key;
  std::string secret;
  std::vector<PlatformSimDevice> devices;
};

struct PlatformSimAccount {
  std::string username;
  std::string password;  // checked through its MD5 digest, as the client sends it
};

struct PlatformRestConfig {
  std::vector<PlatformSimAccount> accounts;
  std::vector<PlatformSimProduct> products;
};

// One account ("engineer" / "varnok-demo") and one product ("pk-demo" /
// "ps-demo") with three devices: what `platform-sim` serves by default.
PlatformRestConfig PlatformDemoConfig();
// The configuration file's [iotInfo] section for that account and product,
// with a line end before it: appended to a backup, it lets the file reach
// the demo fleet.
const char *PlatformDemoIotInfoSection();

enum class PlatformFault { kNone, kSlow, kTruncate, kRedirectLoop, kHugeLength };

class PlatformRestServer {
 public:
  PlatformRestServer() = default;
  ~PlatformRestServer() { Stop(); }

  // Starts on 127.0.0.1 (port 0: a free one). False with error_text on failure.
  bool Start(const PlatformRestConfig &config, std::string &error_text, int port = 0,
             const PlatformTlsServer::Options &options = PlatformTlsServer::Options());
  void Stop() { server_.Stop(); }

  // "https://127.0.0.1:<port>", the API base a client uses.
  std::string ApiBase() const { return server_.BaseUrl(); }
  const std::string &CaFile() const { return server_.CaFile(); }
  int Port() const { return server_.Port(); }

  void SetFault(PlatformFault fault, int delay_ms = 20000);
  // The request heads received so far, oldest first.
  std::vector<std::string> Requests() const;
  // Tokens handed out and not logged out.
  size_t OpenTokens() const;

 private:
  struct Reply {
    int status;
    std::string body;  // JSON
  };
  struct Request {
    std::string path;
    std::map<std::string, std::string> query;
    std::string authorization;
  };
  void Handle(PlatformConnection &connection);
  Reply Answer(const Request &request);
  Reply Login(const Request &request);
  Reply Logout(const Request &request);
  Reply DeviceCount(const Request &request);
  Reply DeviceList(const Request &request);
  bool Authorised(const Request &request) const;
  const PlatformSimProduct *FindProduct(const Request &request) const;
  void Send(PlatformConnection &connection, const std::string &target, const Reply &reply,
            PlatformFault fault, int delay_ms);

  PlatformTlsServer server_;
  PlatformRestConfig config_;
  mutable std::mutex lock_;
  std::set<std::string> tokens_;
  std::vector<std::string> requests_;
  PlatformFault fault_ = PlatformFault::kNone;
  int delay_ms_ = 20000;
};
