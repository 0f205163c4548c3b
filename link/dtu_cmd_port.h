// The command port: owns the serial driver, the command ring, the sender
// thread and the listener. One object for the whole program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/dtu_cmd_outcome.h"

struct DtuSerialSettings {
  std::string port;   // device path, e.g. /dev/ttyUSB0 or /dev/pts/3
  int baud = 115200;
  int databits = 8;   // 5..8
  int stopbits = 0;   // 0 one, 1 one and a half, 2 two
  int parity = 0;     // 0 none, 1 odd, 2 even, 3 mark, 4 space
};

class CSerialPortBase;

// The far end of remote mode (the remote bridge): it takes every chunk read
// on the local port, raw, in place of the pages. Called on the thread that
// dispatches the port's chunks.
class DtuCmdRemotePeer {
 public:
  virtual ~DtuCmdRemotePeer() = default;
  virtual void FromLocalPort(const char *data, int length) = 0;
};

// Why opening a port failed, beyond the driver's error text: "access denied
// error" covers both a port the user may not open and one another program
// holds, which need different advice.
enum class DtuPortOpenFailure { kNone, kNotExist, kNoPermission, kInUse, kOther };

class DtuCmdPort {
 public:
  DtuCmdPort();
  ~DtuCmdPort();
  DtuCmdPort(const DtuCmdPort &) = delete;
  DtuCmdPort &operator=(const DtuCmdPort &) = delete;

  // Escapes a line and queues it for the sender thread. Returns 0 when queued,
  // -1 when not (length <= 0, ring full: logged). The tag's owner hears the
  // command's outcome (dtu_cmd_outcome.h); a line not queued has none.
  static int DtuCmdRingbufSend(const char *line, int length, const DtuCmdTag &tag = DtuCmdTag());

  // The open reference: the port object while a port is open, else null.
  static DtuCmdPort *OpenInstance();

  // Opens the port (clears the ring, starts the sender, sets the open
  // reference). A port name of a registered transport scheme
  // ("cloud:<IMEI>", link/dtu_cmd_transport.h) opens that transport in place
  // of a serial port. On failure returns false and sets error_text to the driver's
  // error text ("not exist error", "access denied error", ...).
  bool DtuCmdPortOpen(const DtuSerialSettings &settings, std::string &error_text);
  void Close();
  bool IsOpen() const;
  // Why the last DtuCmdPortOpen failed (kNone after a success).
  DtuPortOpenFailure LastOpenFailure() const;

  // Writes text + "\r\n" straight to the port (not escaped, not queued, busy
  // flag untouched). Returns bytes written or -1.
  int SendRaw(const std::string &text);
  // Writes bytes unchanged (the remote bridge's broker messages).
  int WriteRaw(const char *data, int length);

  // Remote mode: chunks read on the local port go raw to `peer`, nothing is
  // dispatched to the pages. The port holds the peer until LeaveRemoteMode,
  // the next EnterRemoteMode or its own end; a chunk being handed over when
  // it leaves still finishes with it.
  void EnterRemoteMode(std::shared_ptr<DtuCmdRemotePeer> peer);
  void LeaveRemoteMode();
  // The peer while in remote mode, else null.
  const std::shared_ptr<DtuCmdRemotePeer> &RemotePeer() const { return remote_peer_; }

  // Receives each chunk the listener read: cleaned text in local mode, raw
  // bytes in remote mode. Default: DtuCmdRecvProcess on the reader thread.
  // The GUI and varnokctl post it to their main thread instead.
  using ChunkDispatcher = std::function<void(const std::string &chunk)>;
  void SetChunkDispatcher(ChunkDispatcher dispatcher);

  // Sees every chunk as it was read, before cleaning, on the reader thread
  // (`raw` prints what came, not what the answer dispatch keeps of it).
  using RawChunkTap = std::function<void(const std::string &bytes)>;
  void SetRawChunkTap(RawChunkTap tap);
  // Sees every queued command as the sender writes it, on the sender
  // thread (the window's terminal echoes what the pages send). Takes effect
  // at the next open.
  using WrittenTap = std::function<void(const std::string &line)>;
  void SetWrittenTap(WrittenTap tap);
  // Receives each command's outcome (from the reader, sender or closing
  // thread). Default: DtuCmdOutcomeProcess on that thread. The GUI and
  // varnokctl post it to their main thread, on the road the chunks take, so
  // an outcome arrives after the answer it belongs to.
  using OutcomeDispatcher = std::function<void(const DtuCmdReport &report)>;
  void SetOutcomeDispatcher(OutcomeDispatcher dispatcher);

  // Told (on a driver thread) when the open port disappeared and was closed:
  // the text is "the port was closed: <error text>".
  void SetPortLostHandler(std::function<void(const std::string &text)> handler);

  CSerialPortBase &Driver();

  // Since the last open: commands written to the port, and commands after
  // which some text was received (the busy flag cleared by an answer).
  int CommandsWritten() const;
  int CommandsAnswered() const;

 private:
  void OnPortLost(int error_code);
  void PrepareDriver(CSerialPortBase &driver);
  void UseDriverFor(const std::string &port_name);
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::shared_ptr<DtuCmdRemotePeer> remote_peer_;
};

// Serial ports present on this machine: tty devices with a real device behind
// them, /dev/serial/by-id names where they exist.
struct DtuPortInfo {
  std::string path;         // what to open
  std::string description;  // by-id name or driver name, may be empty
};
std::vector<DtuPortInfo> DtuListSerialPorts();
