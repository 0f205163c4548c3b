#include "pages/dtu_page_runner.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

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
  return DtuPageWaitUntil([&] { return !page.ReadPending(); }, timeout_ms) ? DtuPageRun::kDone
                                                                           : DtuPageRun::kTimedOut;
}

DtuPageRun DtuPageRunSet(DtuPage &page, int timeout_ms) {
  if (!page.Set()) return DtuPageRun::kRefused;
  return DtuPageWaitUntil([&] { return !page.SetPending(); }, timeout_ms) ? DtuPageRun::kDone
                                                                          : DtuPageRun::kTimedOut;
}
