// The exchange log of the virtual serial page: how one line reads, and the
// newest lines kept (older ones are dropped, so a long session cannot grow
// the log without bound).
#pragma once

#include <ctime>
#include <deque>
#include <string>

// "[hh:mm:ss.mmm] " and the message; with data, each byte as itself when it
// is printable ASCII (0x20..0x7E) else ".", then "  |  HEX: " and each byte
// as "%02X "; the line ends with CR LF.
std::string VirtualSerialLogLine(const std::tm &local_time, int millisecond, const std::string &message,
                                 const char *data, int length);

// The same, stamped with the local clock now.
std::string VirtualSerialLogLineNow(const std::string &message, const char *data, int length);

class VirtualSerialLog {
 public:
  static constexpr size_t kLinesKept = 20000;

  void Append(const std::string &line);
  const std::deque<std::string> &Lines() const { return lines_; }

 private:
  std::deque<std::string> lines_;
};
