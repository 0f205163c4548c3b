// Sustained traffic through `varnokctl bridge` at the pace of a 115200-baud
// line (11520 bytes/s) in both directions at once for 30 s: the terminal
// streams to the remote device while the device streams back. Every byte
// must arrive, in order. The streams are pseudo-random bytes, zero included.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "bench/bench_timing.h"
#include "tests/support/varnokctl_bridge_setup.h"

namespace {

constexpr double kBytesPerMs = 115200.0 / 10.0 / 1000.0;  // 8N1: 10 bits a byte
int kSeconds = 30;  // VARNOK_BENCH_SECONDS shortens a trial run
constexpr int kTailWaitMs = 5000;

// Byte `i` of the stream with this seed.
uint8_t StreamByte(uint32_t seed, uint64_t i) {
  uint64_t x = (i + 1) * 0x9E3779B97F4A7C15ull ^ seed;
  x ^= x >> 29;
  return static_cast<uint8_t>(x * 0xBF58476D1CE4E5B9ull >> 56);
}

struct Direction {
  const char *name;
  uint32_t seed;
  std::atomic<uint64_t> sent{0};
  std::atomic<uint64_t> received{0};
  std::atomic<int64_t> first_mismatch{-1};
};

// Writes the stream at line speed into `pty` for kSeconds.
void Pace(PtyPair &pty, Direction &d) {
  double start = BenchNowMs();
  std::string chunk;
  while (BenchNowMs() - start < kSeconds * 1000.0) {
    uint64_t due = static_cast<uint64_t>((BenchNowMs() - start) * kBytesPerMs);
    chunk.clear();
    for (uint64_t i = d.sent.load(); i < due; ++i) chunk.push_back(static_cast<char>(StreamByte(d.seed, i)));
    if (!chunk.empty()) {
      pty.Write(chunk);
      d.sent += chunk.size();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// Reads from `pty` and checks every byte against the stream.
void Check(PtyPair &pty, Direction &d, const std::atomic<bool> &writers_done) {
  double quiet_since = BenchNowMs();
  while (!writers_done.load() || d.received.load() < d.sent.load()) {
    std::string got = pty.ReadFor(std::chrono::milliseconds(20));
    if (got.empty()) {
      if (writers_done.load() && BenchNowMs() - quiet_since > kTailWaitMs) return;
      continue;
    }
    quiet_since = BenchNowMs();
    for (char c : got) {
      uint64_t i = d.received.fetch_add(1);
      if (d.first_mismatch.load() < 0 && static_cast<uint8_t>(c) != StreamByte(d.seed, i)) {
        d.first_mismatch.store(static_cast<int64_t>(i));
      }
    }
  }
}

void Report(const Direction &d) {
  uint64_t sent = d.sent.load(), received = d.received.load();
  printf("  %-26s sent %8llu  received %8llu  lost %6lld  order %s\n", d.name,
         static_cast<unsigned long long>(sent), static_cast<unsigned long long>(received),
         static_cast<long long>(sent) - static_cast<long long>(received),
         d.first_mismatch.load() < 0 ? "kept" : "BROKEN");
  if (d.first_mismatch.load() >= 0) {
    printf("    first wrong byte at offset %lld\n", static_cast<long long>(d.first_mismatch.load()));
  }
}

// Number of traffic lines with this prefix and the sum of their byte counts.
std::pair<size_t, long long> SumLines(const std::string &text, const std::string &prefix) {
  size_t n = 0;
  long long bytes = 0;
  for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
    ++n;
    bytes += atoll(text.c_str() + at + prefix.size());
  }
  return {n, bytes};
}

}  // namespace

int main() {
  if (const char *s = getenv("VARNOK_BENCH_SECONDS")) kSeconds = atoi(s) > 0 ? atoi(s) : kSeconds;
  VarnokctlBridgeSetup setup(true);
  std::string error;
  if (!setup.Start(20, error)) {
    fprintf(stderr, "setup: %s\n", error.c_str());
    return 1;
  }
  Direction up{"terminal -> remote device", 0x1234u};
  Direction down{"remote device -> terminal", 0xBEEFu};
  std::atomic<bool> writers_done{false};
  std::thread check_up([&] { Check(setup.DeviceLine(), up, writers_done); });
  std::thread check_down([&] { Check(setup.Terminal(), down, writers_done); });
  std::thread pace_up([&] { Pace(setup.Terminal(), up); });
  std::thread pace_down([&] { Pace(setup.DeviceLine(), down); });
  pace_up.join();
  pace_down.join();
  writers_done.store(true);
  check_up.join();
  check_down.join();
  std::string log = setup.Bridge().Output();
  setup.StopBridge();

  printf("Sustained bridge traffic, 115200 baud both ways for %d s\n", kSeconds);
  Report(up);
  Report(down);
  auto tx = SumLines(log, "[Local-Tx]# : "), rx = SumLines(log, "[Local-Rx]# : ");
  printf("  bridge published %zu chunks (%lld bytes), wrote %zu messages (%lld bytes)\n", tx.first,
         tx.second, rx.first, rx.second);
  // Anything the bridge said besides traffic lines (failures, lost port).
  size_t from = 0;
  for (size_t end = log.find('\n'); end != std::string::npos; from = end + 1, end = log.find('\n', from)) {
    std::string line = log.substr(from, end - from);
    if (line.rfind("[Local-", 0) != 0) printf("  bridge: %s\n", line.c_str());
  }
  bool ok = up.sent == up.received && down.sent == down.received && up.first_mismatch < 0 &&
            down.first_mismatch < 0;
  printf("  zero bytes lost, order kept: %s\n", ok ? "yes" : "NO");
  return ok ? 0 : 1;
}
