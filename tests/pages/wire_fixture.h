// A page test with the real command port open on a pseudo-terminal, the
// simulated device (dtu-sim, in-process, without latency) on the other end,
// and answers dispatched on the test's event loop as in the program.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/pages/page_test_support.h"

class DtuCmdPort;
class DtuSim;
class DtuMainThreadDispatcher;

class PageWireTest : public PageTest {
 protected:
  PageWireTest();
  ~PageWireTest() override;
  void SetUp() override;
  void TearDown() override;

  DtuSim &Sim() { return *sim_; }
  void SetDeviceValue(const std::string &key, const std::string &value);
  std::string DeviceValue(const std::string &key);
  // Commands with this key are answered with "ERROR" until healed.
  void FailKey(const std::string &key);
  void HealKey(const std::string &key);
  // The lines the device received so far, without their CR LF.
  std::vector<std::string> Lines() const;
  // Waits (event loop running) until the device received `count` lines.
  bool WaitForLines(size_t count, int timeout_ms = 5000) const;

 private:
  std::unique_ptr<DtuSim> sim_;
  std::unique_ptr<DtuMainThreadDispatcher> dispatcher_;
  std::unique_ptr<DtuCmdPort> port_;
};
