// DtuCmdPort::DtuCmdRingbufSend: the one road by which pages queue commands.
#include <cstring>

#include "base/dtu_log.h"
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_protocol.h"
#include "link/dtu_cmd_ring.h"

static_assert(kDtuEscapedMax + 2 <= kDtuCmdSlotTextSize, "a cut line's CR LF fits its slot");

int DtuCmdPort::DtuCmdRingbufSend(const char *line, int length, const DtuCmdTag &tag) {
  // A page whose formatter overflowed passes -1: queueing an empty slot would
  // only make the sender wait for an answer that never comes.
  if (line == nullptr || length <= 0) {
    DTU_LOG("empty command not queued, len : %d.", length);
    return -1;
  }
  DtuCmdSlot slot;
  std::memset(&slot, 0, sizeof(slot));
  int consumed = 0;
  slot.length = DtuCmdEscape(line, length, slot.text, &consumed);
  // A line cut at the slot's limit still ends with a line end (the slot has
  // two bytes beyond the longest escaped text for it), or the device would
  // glue the next command onto it.
  const bool ends_line = slot.length >= 2 && std::memcmp(slot.text + slot.length - 2, "\r\n", 2) == 0;
  if (consumed < length && !ends_line) {
    DTU_LOG("command cut at %d bytes.", slot.length);
    std::memcpy(slot.text + slot.length, "\r\n", 2);
    slot.length += 2;
  }
  return tam_ringbuf_item_put(&slot, &tag);
}
