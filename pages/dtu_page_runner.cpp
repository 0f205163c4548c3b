#include "pages/dtu_page_runner.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>

#include "base/dtu_message.h"
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_ring.h"
#include "pages/dtu_page_catalog.h"
#include "pages/kit/dtu_read_watch.h"

namespace {

constexpr int kPollMs = 5;
std::atomic<int> g_poll_ms{kPollMs};

// The port closed under the page (the device went away): nothing more can
// come, so there is nothing to wait for.
bool PortGone() { return DtuCmdPort::OpenInstance() == nullptr; }

// Pages that run an action (their lines tagged with the page): the outcome
// of the last line ends the wait at once, no settle time needed.
bool RunsAnAction(const DtuPage &page) { return page.RunningAction() != DtuPageAction::Kind::kNone; }

DtuPageRun WaitForAction(DtuPage &page, int timeout_ms) {
  if (RunsAnAction(page)) {
    QEventLoop loop;
    QObject::connect(&page, &DtuPage::ActionEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    loop.exec();
  }
  if (RunsAnAction(page)) return DtuPageRun::kTimedOut;
  DtuPageRun run = DtuPageRun::kDone;
  for (const DtuPageAction::Failure &failure : page.ActionFailures()) {
    if (failure.outcome == DtuCmdOutcome::kPortClosed) return DtuPageRun::kPortClosed;
    if (failure.outcome == DtuCmdOutcome::kDeviceError) run = DtuPageRun::kDeviceError;
    if (failure.outcome == DtuCmdOutcome::kNoAnswer && run == DtuPageRun::kDone) run = DtuPageRun::kTimedOut;
  }
  return run;
}
// The sender takes a command from the ring a moment before it counts it as
// written: the queue counts as drained only once that held for this long.
constexpr int kDrainedSettleMs = 150;

// Waits for the page's own condition, or for the queue to stay drained.
// Returns 1 when `done`, 0 when drained first, -1 on time-out.
int WaitForPage(const DtuPage &page, const std::function<bool()> &done, int timeout_ms) {
  QElapsedTimer drained_since;
  bool finished = DtuPageWaitUntil(
      [&] {
        if (done() || PortGone()) return true;
        if (page.Busy() || !DtuCommandsDrained()) {
          drained_since.invalidate();
          return false;
        }
        if (!drained_since.isValid()) drained_since.start();
        return drained_since.elapsed() >= kDrainedSettleMs;
      },
      timeout_ms);
  if (done()) return 1;
  return finished ? 0 : -1;
}

// How a page that runs its own steps ended them: refused by a check of its
// own, or failed as its first failed line did.
DtuPageRun OwnEnd(const DtuPage &page) {
  if (page.Refused()) return DtuPageRun::kRefused;
  if (!page.Failed()) return DtuPageRun::kDone;
  const std::optional<DtuCmdOutcome> outcome = page.FailedOutcome();
  if (!outcome) return DtuPageRun::kFailed;
  switch (*outcome) {
    case DtuCmdOutcome::kDeviceError: return DtuPageRun::kDeviceError;
    case DtuCmdOutcome::kNoAnswer: return DtuPageRun::kTimedOut;
    case DtuCmdOutcome::kPortClosed: return DtuPageRun::kPortClosed;
    default: return DtuPageRun::kFailed;
  }
}

// A query the device refused is named, as a page names a refused line.
bool ReportRefused(const std::vector<std::string> &keys) {
  if (keys.empty()) return false;
  std::vector<DtuPageAction::Failure> failures;
  for (const std::string &key : keys) failures.push_back({0, key, DtuCmdOutcome::kDeviceError, "ERROR"});
  DtuWarningBox(DtuPageFailureMessage(failures));
  return true;
}

}  // namespace

std::vector<std::string> DtuPageNames() {
  std::vector<std::string> names;
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    if (row.cli_name != nullptr && row.make != nullptr) names.push_back(row.cli_name);
  }
  return names;
}

std::unique_ptr<DtuPage> DtuCreatePage(const std::string &name) {
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    if (row.cli_name == nullptr || row.make == nullptr || name != row.cli_name) continue;
    std::unique_ptr<QObject> object = row.make();
    // Every row varnokctl names is a read/set page.
    if (auto *page = qobject_cast<DtuPage *>(object.get())) {
      object.release();
      return std::unique_ptr<DtuPage>(page);
    }
    return nullptr;
  }
  return nullptr;
}

bool DtuPageWaitUntil(const std::function<bool()> &done, int timeout_ms) {
  if (done()) return true;
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer tick;
  const int poll_ms = g_poll_ms.load();
  tick.setInterval(poll_ms);
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    if (done() || clock.elapsed() >= timeout_ms) loop.quit();
  });
  // With a slow tick, the condition is also asked each time the events that
  // came in (answers, outcomes) have been handled: those end a wait at once.
  QMetaObject::Connection after_events;
  if (poll_ms > kPollMs) {
    after_events = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                                    &loop, [&] {
                                      if (done()) loop.quit();
                                    });
  }
  tick.start();
  loop.exec();
  QObject::disconnect(after_events);
  return done();
}

void DtuPageSetWaitTickMs(int ms) { g_poll_ms.store(ms > kPollMs ? ms : kPollMs); }

bool DtuCommandsDrained() {
  DtuCmdPort *port = DtuCmdPort::OpenInstance();
  return port && DtuCmdRingInstance().Waiting() == 0 && port->CommandsWritten() == port->CommandsAnswered();
}

DtuPageRun DtuPageRunRead(DtuPage &page, int timeout_ms, std::vector<std::string> *missing) {
  DtuReadWatch watch;
  if (!page.Read()) return DtuPageRun::kRefused;
  if (RunsAnAction(page)) {
    const DtuPageRun run = WaitForAction(page, timeout_ms);
    if (run != DtuPageRun::kDone) return run;
    const std::vector<std::string> &keys = page.KeysWithoutTheirAnswer();
    if (missing != nullptr) *missing = keys;
    return keys.empty() ? DtuPageRun::kDone : DtuPageRun::kIncomplete;
  }
  if (watch.Queries() == 0) {  // a page that reads by other roads
    const int waited = WaitForPage(page, [&] { return !page.ReadPending(); }, timeout_ms);
    if (PortGone()) return DtuPageRun::kPortClosed;
    if (waited < 0) return DtuPageRun::kTimedOut;
    return OwnEnd(page);
  }
  const bool reported = DtuPageWaitUntil([&] { return watch.AllReported() || PortGone(); }, timeout_ms);
  if (PortGone()) return DtuPageRun::kPortClosed;
  if (!reported) return DtuPageRun::kTimedOut;
  if (ReportRefused(watch.KeysRefused())) return DtuPageRun::kDeviceError;
  // An answer the page could not read (it named the field).
  if (page.Failed()) return DtuPageRun::kFailed;
  const std::vector<std::string> keys = watch.KeysWithoutTheirAnswer();
  if (missing != nullptr) *missing = keys;
  return keys.empty() ? DtuPageRun::kDone : DtuPageRun::kIncomplete;
}

DtuPageRun DtuPageRunSet(DtuPage &page, int timeout_ms) {
  if (!page.Set()) return DtuPageRun::kRefused;
  for (;;) {
    if (RunsAnAction(page)) {
      const DtuPageRun run = WaitForAction(page, timeout_ms);
      if (run != DtuPageRun::kDone || !page.SetPending()) return run;
    }
    // A page may ask the device before its action, and start another once
    // one held (the Modbus page: the rule of each channel in turn): each
    // action is waited for as it comes.
    const int waited = WaitForPage(page, [&] { return !page.SetPending() || RunsAnAction(page); }, timeout_ms);
    if (RunsAnAction(page)) continue;
    if (PortGone()) return DtuPageRun::kPortClosed;
    if (waited <= 0) return DtuPageRun::kTimedOut;
    break;
  }
  const DtuPageRun own = OwnEnd(page);
  if (own != DtuPageRun::kDone) return own;
  // Some pages confirm before their last lines went out (MQTT: on the
  // publish topic, before QoS and CleanSession): let those go out too.
  WaitForPage(page, [] { return false; }, timeout_ms);
  return PortGone() ? DtuPageRun::kPortClosed : DtuPageRun::kDone;
}
