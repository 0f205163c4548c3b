// Byte buffers of the serial driver. RingBuffer is the receive ring: a
// power-of-two capacity, indices running over twice the capacity, and writes
// into a full ring overwrite the oldest bytes. Not thread-safe: the driver
// guards it with its port lock.
#pragma once

#include <cstdint>
#include <vector>

class Buffer {
 public:
  virtual ~Buffer() = default;
  virtual uint32_t Write(const char *data, uint32_t size) = 0;
  virtual uint32_t Read(char *data, uint32_t size) = 0;
  virtual uint32_t Size() const = 0;       // bytes held
  virtual uint32_t Capacity() const = 0;
  virtual void Clear() = 0;
};

class RingBuffer : public Buffer {
 public:
  // 0 or a size above 2^30 gives 4096; others are rounded up to a power of two.
  explicit RingBuffer(uint32_t size);

  uint32_t Write(const char *data, uint32_t size) override;  // returns size
  uint32_t Read(char *data, uint32_t size) override;         // at most Size()
  uint32_t Size() const override { return (write_ - read_) & mask_; }
  uint32_t Capacity() const override { return capacity_; }
  bool IsFull() const { return write_ == (read_ ^ capacity_); }
  bool IsEmpty() const { return write_ == read_; }
  void Clear() override { read_ = write_ = 0; }

 private:
  uint32_t capacity_;
  uint32_t mask_;  // 2 * capacity - 1
  uint32_t read_ = 0;
  uint32_t write_ = 0;
  std::vector<char> data_;
};
