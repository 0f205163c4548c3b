// The command port's remote mode: the port holds the remote bridge and lets
// the dispatcher hand it the raw chunks.
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_resp_table.h"

void DtuCmdPort::EnterRemoteMode(std::shared_ptr<DtuCmdRemotePeer> peer) {
  if (!peer) {
    LeaveRemoteMode();
    return;
  }
  remote_peer_ = std::move(peer);
  // The sink keeps its own reference: a chunk being handed over while the
  // port leaves remote mode finishes before the peer can go.
  std::shared_ptr<DtuCmdRemotePeer> sink_peer = remote_peer_;
  DtuCmdSetRemoteSink([sink_peer](const char *data, int length) { sink_peer->FromLocalPort(data, length); });
  DtuCmdSetRemoteMode(true);
}

void DtuCmdPort::LeaveRemoteMode() {
  DtuCmdSetRemoteMode(false);
  DtuCmdSetRemoteSink(nullptr);
  remote_peer_.reset();
}
