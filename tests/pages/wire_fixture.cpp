#include "tests/pages/wire_fixture.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_page_runner.h"
#include "tests/pages/wire_device.h"

PageWireTest::PageWireTest() = default;
PageWireTest::~PageWireTest() = default;

void PageWireTest::SetUp() {
  PageTest::SetUp();
  device_ = std::make_unique<WireDevice>();
  port_ = std::make_unique<DtuCmdPort>();
  port_->SetChunkDispatcher([](const std::string &chunk) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [chunk] { DtuCmdRecvProcess(chunk.c_str(), static_cast<int>(chunk.size())); }, Qt::QueuedConnection);
  });
  DtuSerialSettings settings;
  settings.port = device_->LinePath();
  std::string error;
  ASSERT_TRUE(port_->DtuCmdPortOpen(settings, error)) << error;
}

void PageWireTest::TearDown() {
  if (port_) port_->Close();
  port_.reset();
  device_.reset();
  // Answers still queued for the event loop belong to this test only.
  QCoreApplication::processEvents();
  PageTest::TearDown();
}

std::vector<std::string> PageWireTest::Lines() const { return device_->Lines(); }

bool PageWireTest::WaitForLines(size_t count, int timeout_ms) const {
  return DtuPageWaitUntil([&] { return device_->Lines().size() >= count; }, timeout_ms);
}
