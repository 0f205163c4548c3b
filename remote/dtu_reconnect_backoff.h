// How long to wait before the next attempt to bring a lost broker link back:
// 1 s after the loss, then twice as long after each failed attempt, never
// more than 30 s. A broker that is down for a while is not hammered, and one
// that comes back is found again within half a minute.
#pragma once

class DtuReconnectBackoff {
 public:
  static constexpr int kFirstDelayMs = 1000;
  static constexpr int kMaxDelayMs = 30000;

  // The delay before the next attempt; each call doubles the one after it.
  int NextDelayMs() {
    const int delay = next_ms_;
    next_ms_ = next_ms_ >= kMaxDelayMs / 2 ? kMaxDelayMs : next_ms_ * 2;
    return delay;
  }
  // After a successful attempt: the next loss starts again at 1 s.
  void Reset() { next_ms_ = kFirstDelayMs; }

 private:
  int next_ms_ = kFirstDelayMs;
};
