#include "link/ring_buffer.h"

namespace {

uint32_t RoundedCapacity(uint32_t size) {
  if (size == 0 || size > (1u << 30)) return 4096;
  uint32_t capacity = 1;
  while (capacity < size) capacity <<= 1;
  return capacity;
}

}  // namespace

RingBuffer::RingBuffer(uint32_t size)
    : capacity_(RoundedCapacity(size)), mask_(2 * capacity_ - 1), data_(capacity_) {}

uint32_t RingBuffer::Write(const char *data, uint32_t size) {
  // Only the newest `capacity_` bytes can survive; skip the rest at once.
  uint32_t skip = size > capacity_ ? size - capacity_ : 0;
  for (uint32_t i = skip; i < size; ++i) {
    if (IsFull()) read_ = (read_ + 1) & mask_;
    data_[write_ & (capacity_ - 1)] = data[i];
    write_ = (write_ + 1) & mask_;
  }
  if (skip > 0) read_ = write_ ^ capacity_;  // a full ring of the newest bytes
  return size;
}

uint32_t RingBuffer::Read(char *data, uint32_t size) {
  uint32_t count = Size();
  if (size < count) count = size;
  for (uint32_t i = 0; i < count; ++i) {
    data[i] = data_[read_ & (capacity_ - 1)];
    read_ = (read_ + 1) & mask_;
  }
  return count;
}
