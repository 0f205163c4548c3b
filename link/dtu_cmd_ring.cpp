#include "link/dtu_cmd_ring.h"

#include <cstring>

#include "base/dtu_log.h"

DtuCmdRing::DtuCmdRing() { std::memset(storage_, 0, sizeof(storage_)); }

namespace {

int Advance(int position) {
  position += kDtuCmdSlotSize;
  return position >= kDtuCmdRingBytes ? 0 : position;
}

}  // namespace

int DtuCmdRing::Waiting() const {
  const int used = write_pos_.load(std::memory_order_acquire) - read_pos_.load(std::memory_order_acquire);
  return (used < 0 ? used + kDtuCmdRingBytes : used) / kDtuCmdSlotSize;
}

int DtuCmdRing::FreeBytes() const { return (kDtuCmdSlotCount - 1 - Waiting()) * kDtuCmdSlotSize; }

int DtuCmdRing::Put(const DtuCmdSlot &slot, const DtuCmdTag &tag) {
  {
    std::lock_guard<std::mutex> lock(put_mutex_);
    const int write = write_pos_.load(std::memory_order_relaxed);
    const int next = Advance(write);
    if (next == read_pos_.load(std::memory_order_acquire)) {
      DTU_LOG("tam_ringbuf_item_put failed, len : %d.", FreeBytes());
      return -1;
    }
    std::memcpy(storage_ + write, &slot, kDtuCmdSlotSize);
    tags_[write / kDtuCmdSlotSize] = tag;
    write_pos_.store(next, std::memory_order_release);
  }
  item_queued_.notify_one();
  return 0;
}

int DtuCmdRing::Get(DtuCmdSlot *slot, DtuCmdTag *tag) {
  const int read = read_pos_.load(std::memory_order_relaxed);
  if (read == write_pos_.load(std::memory_order_acquire)) return -1;
  std::memcpy(slot, storage_ + read, kDtuCmdSlotSize);
  if (tag != nullptr) *tag = tags_[read / kDtuCmdSlotSize];
  read_pos_.store(Advance(read), std::memory_order_release);
  return 0;
}

void DtuCmdRing::Clear() {
  std::lock_guard<std::mutex> lock(put_mutex_);
  std::memset(storage_, 0, sizeof(storage_));
  for (DtuCmdTag &tag : tags_) tag = DtuCmdTag();
  write_pos_.store(0, std::memory_order_release);
  read_pos_.store(0, std::memory_order_release);
  wake_ = false;
}

bool DtuCmdRing::WaitForItem(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(put_mutex_);
  item_queued_.wait_for(lock, timeout, [this] {
    return wake_ || write_pos_.load(std::memory_order_acquire) != read_pos_.load(std::memory_order_acquire);
  });
  wake_ = false;
  return write_pos_.load(std::memory_order_acquire) != read_pos_.load(std::memory_order_acquire);
}

void DtuCmdRing::Wake() {
  {
    std::lock_guard<std::mutex> lock(put_mutex_);
    wake_ = true;
  }
  item_queued_.notify_all();
}

DtuCmdRing &DtuCmdRingInstance() {
  static DtuCmdRing ring;
  return ring;
}

int tam_ringbuf_item_put(const DtuCmdSlot *slot, const DtuCmdTag *tag) {
  if (slot == nullptr) return -1;
  return DtuCmdRingInstance().Put(*slot, tag ? *tag : DtuCmdTag());
}

int tam_ringbuf_item_get(DtuCmdSlot *slot) {
  if (slot == nullptr) return -1;
  return DtuCmdRingInstance().Get(slot);
}
