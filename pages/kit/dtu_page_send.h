// How a page hands its command lines to the command port: the open test,
// queries, and the lines of one Set, which are checked as a whole before
// any of them is queued.
#pragma once

#include <string>
#include <vector>

#include "base/dtu_text_id.h"

// Every set line is formatted into a buffer of this size (NUL included).
constexpr int kDtuSetLineBuffer = 256;

// True when the command port is open; otherwise shows "Config serial port is
// not open" and returns false.
bool DtuPagePortOpen();

// "AT+ZEVCFG=get|<key>\r\n".
std::string DtuPageGetLine(const char *key);
// Queues DtuPageGetLine(key), tagged for the read watch that is alive.
void DtuPageQueueGet(const char *key);
// Queues a fixed line as it is (reboot, reload).
void DtuPageQueueLine(const std::string &line);

// Text of a table entry with "%s" and "%d" filled in (in that order).
std::string DtuPageFormatText(DtuTextId text_id, const std::string &field, int number);

// The set lines of one button: "AT+ZEVCFG=set|<key>|<payload>\r\n" each.
class DtuSetLines {
 public:
  // `field` names the control whose text makes the payload: the message
  // names it when the line does not fit.
  void Add(const std::string &field, const std::string &key, const std::string &payload);
  // A whole line as it is ("AT+ZEVCFG=get|...\r\n"): a query whose answer
  // shows what the Set left on the device goes out as part of the Set.
  void AddLine(const std::string &field, const std::string &line);
  // False, after a message naming the field and the line limit (255 bytes
  // and the NUL), when a line does not fit the 256-byte buffer.
  bool Fit() const;
  // Queues every line in order.
  void Queue() const;
  // Adds the lines of another button after these.
  void Append(const DtuSetLines &other);
  const std::vector<std::string> &Lines() const { return lines_; }
  const std::vector<std::string> &Fields() const { return fields_; }

 private:
  std::vector<std::string> lines_;
  std::vector<std::string> fields_;
};
