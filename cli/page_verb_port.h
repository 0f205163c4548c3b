// The command port as the page verbs open it: answers are handed to the
// dispatcher on the main thread's event loop, in arrival order, as in the GUI.
#pragma once

#include <memory>
#include <string>

class DtuCmdPort;

class PageVerbPort {
 public:
  PageVerbPort();
  ~PageVerbPort();
  PageVerbPort(const PageVerbPort &) = delete;
  PageVerbPort &operator=(const PageVerbPort &) = delete;

  // False with the driver's error text when the port cannot be opened.
  bool Open(const std::string &path, int baud, std::string &error);

 private:
  std::unique_ptr<DtuCmdPort> port_;
};
