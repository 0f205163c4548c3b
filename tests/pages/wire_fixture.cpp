#include "tests/pages/wire_fixture.h"

#include <QCoreApplication>

#include "link/dtu_cmd_port.h"
#include "pages/kit/dtu_main_thread_dispatcher.h"
#include "pages/dtu_page_runner.h"
#include "sim/dtu_sim.h"
#include "tests/support/sim_link.h"

PageWireTest::PageWireTest() = default;
PageWireTest::~PageWireTest() = default;

void PageWireTest::SetUp() {
  PageTest::SetUp();
  sim_ = StartDtuSim();
  port_ = std::make_unique<DtuCmdPort>();
  dispatcher_ = std::make_unique<DtuMainThreadDispatcher>();
  dispatcher_->AttachTo(*port_);
  DtuSerialSettings settings;
  settings.port = sim_->SlavePath();
  std::string error;
  ASSERT_TRUE(port_->DtuCmdPortOpen(settings, error)) << error;
}

void PageWireTest::TearDown() {
  if (port_) port_->Close();
  port_.reset();
  dispatcher_.reset();
  sim_.reset();
  // Answers still queued for the event loop belong to this test only.
  QCoreApplication::processEvents();
  PageTest::TearDown();
}

void PageWireTest::SetDeviceValue(const std::string &key, const std::string &value) {
  sim_->Store().SetValue(key, value);
}

std::string PageWireTest::DeviceValue(const std::string &key) { return sim_->Store().Value(key); }

void PageWireTest::FailKey(const std::string &key) {
  DtuSimOptions options = sim_->Options();
  options.error_keys.insert(DtuSimLower(key));
  sim_->SetOptions(options);
}

void PageWireTest::HealKey(const std::string &key) {
  DtuSimOptions options = sim_->Options();
  options.error_keys.erase(DtuSimLower(key));
  sim_->SetOptions(options);
}

std::vector<std::string> PageWireTest::Lines() const {
  std::vector<std::string> lines = sim_->ReceivedLines();
  for (std::string &line : lines) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  }
  return lines;
}

bool PageWireTest::WaitForLines(size_t count, int timeout_ms) const {
  return DtuPageWaitUntil([&] { return sim_->ReceivedLines().size() >= count; }, timeout_ms);
}
