// The command ring: 64 slots of 2048 bytes between the pages (producers) and
// the sender thread (the one consumer). One slot always stays free, so at most
// 63 commands wait. Producers are serialized by a lock, because the GUI thread
// and read workers both queue; the consumer only moves the read position.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "link/dtu_cmd_outcome.h"

constexpr int kDtuCmdSlotSize = 2048;
constexpr int kDtuCmdSlotCount = 64;
constexpr int kDtuCmdRingBytes = kDtuCmdSlotSize * kDtuCmdSlotCount;  // 131072
constexpr int kDtuCmdSlotTextSize = kDtuCmdSlotSize - 4;              // 2044

struct DtuCmdSlot {
  int32_t length;                  // bytes of text to write
  char text[kDtuCmdSlotTextSize];  // escaped command, zero-filled beyond length
};
static_assert(sizeof(DtuCmdSlot) == kDtuCmdSlotSize, "one slot is 2048 bytes");

class DtuCmdRing {
 public:
  DtuCmdRing();
  DtuCmdRing(const DtuCmdRing &) = delete;
  DtuCmdRing &operator=(const DtuCmdRing &) = delete;

  // Copies the slot in, with the tag of whoever queued it. Returns 0, or -1
  // when 63 commands already wait (the ring is unchanged and the failure is
  // logged with the bytes still free).
  int Put(const DtuCmdSlot &slot, const DtuCmdTag &tag = DtuCmdTag());
  // Copies the oldest slot out (and its tag, when asked). Returns 0, or -1
  // when the ring is empty.
  int Get(DtuCmdSlot *slot, DtuCmdTag *tag = nullptr);
  // Zeroes the storage and sets both positions to 0. Only while no sender runs.
  void Clear();

  int Waiting() const;     // commands waiting, 0..63
  int FreeBytes() const;   // bytes the ring can still take

  // Blocks until a command waits, Wake() is called, or the time-out passes.
  // Returns true when a command waits.
  bool WaitForItem(std::chrono::milliseconds timeout);
  void Wake();

 private:
  mutable std::mutex put_mutex_;
  std::condition_variable item_queued_;
  std::atomic<int> write_pos_{0};
  std::atomic<int> read_pos_{0};
  bool wake_ = false;  // guarded by put_mutex_
  alignas(8) char storage_[kDtuCmdRingBytes];
  DtuCmdTag tags_[kDtuCmdSlotCount];  // beside the slots, which keep their layout
};

// The process-wide ring every page queues into.
DtuCmdRing &DtuCmdRingInstance();

// C-style entry points of the process-wide ring.
int tam_ringbuf_item_put(const DtuCmdSlot *slot, const DtuCmdTag *tag = nullptr);
int tam_ringbuf_item_get(DtuCmdSlot *slot);
