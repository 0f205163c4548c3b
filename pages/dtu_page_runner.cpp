#include "pages/dtu_page_runner.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "link/dtu_cmd_port.h"
#include "pages/dtu_data_port.h"
#include "pages/dtu_devinfo.h"
#include "pages/dtu_mqtt.h"
#include "pages/dtu_mqtt_aliyun.h"
#include "pages/dtu_mqtt_onenet.h"
#include "pages/dtu_net.h"
#include "pages/dtu_tcp_udp.h"
#include "pages/dtu_work_mode.h"

namespace {

struct PageMaker {
  const char *name;
  std::unique_ptr<DtuPage> (*make)();
};

template <class Page>
std::unique_ptr<DtuPage> Make() {
  return std::make_unique<Page>();
}

const PageMaker kPages[] = {
    {"devinfo", &Make<DtuDevinfo>}, {"dataport", &Make<DtuDataPort>}, {"net", &Make<DtuNet>},
    {"workmode", &Make<DtuWorkMode>}, {"tcpudp", &Make<DtuTcpUdp>},   {"mqtt", &Make<DtuMqtt>},
    {"aliyun", &Make<DtuMqttAliyun>}, {"onenet", &Make<DtuMqttOnenet>},
};

constexpr int kPollMs = 5;

// Waits, with the event loop running, until the page's action ended: the
// outcome of its last line ends the wait at once, no settle time needed.
DtuPageRun WaitForAction(DtuPage &page, int timeout_ms) {
  if (page.RunningAction() != DtuPageAction::Kind::kNone) {
    QEventLoop loop;
    QObject::connect(&page, &DtuPage::ActionEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    loop.exec();
  }
  if (page.RunningAction() != DtuPageAction::Kind::kNone) return DtuPageRun::kTimedOut;
  DtuPageRun run = DtuPageRun::kDone;
  for (const DtuPageAction::Failure &failure : page.ActionFailures()) {
    if (failure.outcome == DtuCmdOutcome::kPortClosed) return DtuPageRun::kPortClosed;
    if (failure.outcome == DtuCmdOutcome::kDeviceError) run = DtuPageRun::kDeviceError;
    if (failure.outcome == DtuCmdOutcome::kNoAnswer && run == DtuPageRun::kDone) run = DtuPageRun::kTimedOut;
  }
  return run;
}

}  // namespace

std::vector<std::string> DtuPageNames() {
  std::vector<std::string> names;
  for (const PageMaker &p : kPages) names.push_back(p.name);
  return names;
}

std::unique_ptr<DtuPage> DtuCreatePage(const std::string &name) {
  for (const PageMaker &p : kPages) {
    if (name == p.name) return p.make();
  }
  return nullptr;
}

bool DtuPageWaitUntil(const std::function<bool()> &done, int timeout_ms) {
  if (done()) return true;
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer tick;
  tick.setInterval(kPollMs);
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    if (done() || clock.elapsed() >= timeout_ms) loop.quit();
  });
  tick.start();
  loop.exec();
  return done();
}

DtuPageRun DtuPageRunRead(DtuPage &page, int timeout_ms) {
  if (!page.Read()) return DtuPageRun::kRefused;
  return WaitForAction(page, timeout_ms);
}

DtuPageRun DtuPageRunSet(DtuPage &page, int timeout_ms) {
  if (!page.Set()) return DtuPageRun::kRefused;
  const DtuPageRun run = WaitForAction(page, timeout_ms);
  if (run == DtuPageRun::kDone && page.SetPending()) return DtuPageRun::kTimedOut;
  return run;
}
