// What the simulated device is like beyond its settings: its pacing, its
// faults and its personality (how it words the answers a device may word in
// more than one legal way). Everything here may change while it runs.
#pragma once

#include <map>
#include <set>
#include <string>

// How a set line that the device took is acknowledged.
enum class DtuSimAckStyle {
  kEcho,   // the key line with the stored value, then OK
  kOk,     // a bare OK
  kMixed,  // alternately: the 1st set line it took since the start echoed, the 2nd a bare OK, ...
};

struct DtuSimOptions {
  int latency_ms = 0;        // wait before each answer
  int silent_every = 0;      // every Nth command gets no answer (0: never)
  std::set<std::string> error_keys;     // answered with ERROR (lower case)
  int split_gap_ms = 0;      // answer in two bursts this far apart, the OK line last (0: one burst)
  std::set<std::string> ack_only_keys;  // a set of these is answered with a bare OK
  int unplug_after = 0;      // close the line after answering N commands (0: never)
  int baud = 0;              // pace answers at this baud rate (0: as fast as the pty)
  std::string state_file;    // JSON settings loaded at start, saved after every change
  std::string link_path;     // symlink to the slave path

  DtuSimAckStyle ack_style = DtuSimAckStyle::kEcho;
  // Gets of these keys (lower case; "all": of every key) answered with an
  // empty value.
  std::set<std::string> empty_keys;
  // Gets of these keys (lower case) answered with this text as the value;
  // set lines of them are stored as sent but echoed with this text.
  std::map<std::string, std::string> bad_values;
  // The Nth line received since the start (from 1) gets no answer / ERROR,
  // and is not applied (0: none).
  int lose_line = 0;
  int refuse_line = 0;
};
