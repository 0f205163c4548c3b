// DtuCmdPort::DtuCmdRingbufSend: the one road by which pages queue commands.
#include <cstring>

#include "base/dtu_log.h"
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_protocol.h"
#include "link/dtu_cmd_ring.h"

int DtuCmdPort::DtuCmdRingbufSend(const char *line, int length, const DtuCmdTag &tag) {
  // A page whose formatter overflowed passes -1: queueing an empty slot would
  // only make the sender wait for an answer that never comes.
  if (line == nullptr || length <= 0) {
    DTU_LOG("empty command not queued, len : %d.", length);
    return -1;
  }
  DtuCmdSlot slot;
  std::memset(&slot, 0, sizeof(slot));
  slot.length = DtuCmdEscape(line, length, slot.text);
  return tam_ringbuf_item_put(&slot, &tag);
}
