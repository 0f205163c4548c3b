// Small helpers for the timing programs: a monotonic clock in milliseconds,
// this thread's CPU time, and percentiles of a sample.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

inline double BenchNowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// CPU time of the calling thread: on a shared machine the wall time swings
// with the load, this does not.
inline double BenchThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// A run measured both ways.
struct BenchTiming {
  double wall_ms;
  double cpu_ms;
};

// The p-th percentile (0..100) by nearest rank; 0 for an empty sample.
inline double BenchPercentile(std::vector<double> sample, double p) {
  if (sample.empty()) return 0;
  std::sort(sample.begin(), sample.end());
  size_t rank = static_cast<size_t>(p / 100.0 * static_cast<double>(sample.size()) + 0.5);
  if (rank > 0) --rank;
  return sample[std::min(rank, sample.size() - 1)];
}
