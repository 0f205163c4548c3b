// One HTTPS GET on loopback, handshake included: the client's median time
// against curl's on the same URL in the same run. The server is the platform
// simulator's TLS front with a certificate made at start.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "remote/http_client.h"
#include "sim/platform_tls_server.h"

namespace {

constexpr int kRounds = 60;
const std::string kBody = "{\"code\":200,\"msg\":\"success\",\"data\":{\"total\":3}}";

double Median(const std::vector<double> &v) { return BenchPercentile(v, 50); }

// curl's own time for the transfer (connect, handshake, request, answer),
// which leaves out starting the curl process; -1 when curl is missing.
double CurlSeconds(const std::string &url, const std::string &ca_file) {
  std::string command = "curl -s -o /dev/null --cacert '" + ca_file + "' -w '%{time_total}' '" + url + "'";
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char out[64] = {0};
  size_t n = fread(out, 1, sizeof(out) - 1, pipe);
  int status = pclose(pipe);
  if (status != 0 || n == 0) return -1;
  return std::atof(out);
}

}  // namespace

int main() {
  PlatformTlsServer server;
  std::string error;
  std::string answer = "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Type: application/json\r\nContent-Length: " +
                       std::to_string(kBody.size()) + "\r\n\r\n" + kBody;
  if (!server.Start(PlatformTlsServer::Options(), [&](PlatformConnection &c) {
        std::string head;
        if (c.ReadRequestHead(head)) c.Write(answer);
      }, error)) {
    std::fprintf(stderr, "cannot start the TLS server: %s\n", error.c_str());
    return 1;
  }
  http_client_set_tls(server.CaFile().c_str(), 1);
  std::string url = server.BaseUrl() + "/vorda/dmp/device/devNumber";
  std::vector<double> ours, curl;
  char buffer[8192];
  for (int i = 0; i < kRounds; ++i) {
    double start = BenchNowMs();
    int rc = http_client_get(url.c_str(), nullptr, 0, buffer, sizeof(buffer));
    double ms = BenchNowMs() - start;
    if (rc != 0 || kBody != buffer) {
      std::fprintf(stderr, "request failed: %d\n", rc);
      return 1;
    }
    ours.push_back(ms);
    double curl_seconds = CurlSeconds(url, server.CaFile());
    if (curl_seconds >= 0) curl.push_back(curl_seconds * 1000.0);
  }
  std::printf("HTTPS GET on loopback, handshake included, %d rounds\n", kRounds);
  std::printf("  http_client_get: median %.2f ms, p90 %.2f ms\n", Median(ours), BenchPercentile(ours, 90));
  if (curl.empty()) {
    std::printf("  curl: not available\n");
  } else {
    std::printf("  curl (time_total): median %.2f ms, p90 %.2f ms\n", Median(curl), BenchPercentile(curl, 90));
    std::printf("  ratio client/curl: %.2f\n", Median(ours) / Median(curl));
  }
  server.Stop();
  return 0;
}
