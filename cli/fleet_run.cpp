#include "cli/fleet_run.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>

#include "cli/fleet_progress.h"
#include "cli/fleet_worker.h"
#include "cli/provision_stop.h"
#include "cli/verb_registry.h"
#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "pages/kit/dtu_page.h"
#include "cli/provision_pages.h"
#include "remote/dtu_mqtt_connection.h"

namespace {

const char kProgressTag[] = "@progress ";
constexpr int kStopPollMs = 50;
constexpr int kKillGraceMs = 10000;  // after a device's time ran out and it was asked to stop

// One worker process at work on a device.
struct Attempt {
  std::unique_ptr<QProcess> process;
  QByteArray stderr_tail;
  std::string verb;                // "apply" or "diff"
  std::vector<std::string> pages;  // what it works on
  std::string page_now;            // the page it reported last
  int page_number = 0;             // and its place in `pages`, from 1
  QElapsedTimer clock;
  bool out_of_time = false;
  QTimer deadline;
  QTimer kill;
};

struct Device {
  FleetDeviceResult result;
  std::vector<std::string> todo;    // pages not verified yet, tree order
  std::vector<std::string> reread;  // pages whose write was cut off: read them again first
  std::string cut_off;              // how that write was cut off
  int never_answered = 0;
  FleetValues csv_values;
  std::unique_ptr<Attempt> attempt;
  bool final = false;
};

bool WentWell(ProvisionStatus status) {
  return status == ProvisionStatus::kVerified || status == ProvisionStatus::kConfirmed ||
         status == ProvisionStatus::kNotInFile;
}

std::string Joined(const std::vector<std::string> &items, const char *separator) {
  std::string text;
  for (const std::string &item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

// The brokers with the `index`th first: the devices spread over them, and
// each falls back on the next ones.
std::string RotatedBrokers(const std::string &list, size_t index) {
  std::vector<DtuMqttBroker> brokers;
  std::string error;
  if (!DtuMqttParseBrokers(list, 1883, brokers, error) || brokers.size() < 2) return list;
  std::rotate(brokers.begin(), brokers.begin() + static_cast<long>(index % brokers.size()), brokers.end());
  return DtuMqttBrokersText(brokers);
}

class FleetRunner {
 public:
  explicit FleetRunner(const FleetPlan &plan) : plan_(plan) {
    for (size_t i = 0; i < plan.imeis.size(); ++i) {
      auto device = std::make_unique<Device>();
      device->result.imei = plan.imeis[i];
      device->result.pages_total = static_cast<int>(plan.options.pages.size());
      device->todo = plan.options.pages;
      auto values = plan.csv_values.find(plan.imeis[i]);
      if (values != plan.csv_values.end()) device->csv_values = values->second;
      device->result.values =
          FleetDeviceValues(plan.imeis[i], plan.template_fields, plan.options.pages, device->csv_values);
      devices_.push_back(std::move(device));
      waiting_.push_back(i);
    }
    canary_ = std::min(static_cast<size_t>(plan.options.canary), devices_.size());
  }

  std::vector<FleetDeviceResult> Run(std::string &stopped) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop_, [this] {
      PassOnStopSignals();
      ShowProgress();
    });
    poll.start(kStopPollMs);
    StartWhatMay();
    if (Running() > 0) loop_.exec();
    progress_.Clear();
    for (auto &device : devices_) {
      if (device->final) continue;
      device->result.state = FleetState::kNotStarted;
      device->result.note = "not started: " + (stop_reason_.empty() ? std::string("the run ended") : stop_reason_);
      device->result.exit_code = ProvisionStopRequested() ? kExitInterrupted : kExitOk;
    }
    stopped = stop_reason_;
    std::vector<FleetDeviceResult> results;
    for (auto &device : devices_) results.push_back(device->result);
    return results;
  }

 private:
  int Running() const {
    int running = 0;
    for (const auto &device : devices_) running += device->attempt ? 1 : 0;
    return running;
  }

  // Devices in a final state, and those of them that failed.
  void Counts(int &finished, int &failed) const {
    finished = failed = 0;
    for (const auto &device : devices_) {
      if (!device->final || device->result.state == FleetState::kNotStarted) continue;
      ++finished;
      failed += device->result.state == FleetState::kFailed || device->result.state == FleetState::kTimedOut;
    }
  }

  void ShowProgress() {
    int finished, failed;
    Counts(finished, failed);
    progress_.Show(finished, failed, Running(), static_cast<int>(devices_.size()));
  }

  // Whether new devices may start; when not any more, says why (once).
  bool MayStart() {
    if (!stop_reason_.empty()) return false;
    if (ProvisionStopRequested()) {
      stop_reason_ = "stopped by Ctrl-C";
      return false;
    }
    const int limit = plan_.options.max_failures_percent;
    int finished, failed;
    Counts(finished, failed);
    if (limit >= 0 && finished >= kFleetFailureFloor && failed * 100 >= limit * finished) {
      stop_reason_ = "stopped starting devices: " + std::to_string(failed) + " of " + std::to_string(finished) +
                     " finished devices failed (limit " + std::to_string(limit) + "%)";
      return false;
    }
    return true;
  }

  // True once every canary device is final (at once without canaries).
  bool CanaryDone() const {
    for (size_t i = 0; i < canary_; ++i) {
      if (!devices_[i]->final) return false;
    }
    return true;
  }

  // The first waiting device that may start now: the others wait for the
  // canary devices (which may themselves be waiting for a second try).
  bool NextToStart(size_t &index) {
    const bool canary_done = CanaryDone();
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
      if (!canary_done && *it >= canary_) continue;
      index = *it;
      waiting_.erase(it);
      return true;
    }
    return false;
  }

  void StartWhatMay() {
    size_t index;
    while (Running() < plan_.options.max_inflight && MayStart() && NextToStart(index)) Start(index);
    if (Running() == 0) loop_.quit();
  }

  void Start(size_t index) {
    Device &device = *devices_[index];
    auto attempt = std::make_unique<Attempt>();
    FleetWorkerJob job;
    job.imei = device.result.imei;
    job.file = plan_.options.file;
    job.verb = device.reread.empty() ? "apply" : "diff";
    job.pages = device.reread.empty() ? device.todo : device.reread;
    job.timeout_ms = plan_.options.timeout_ms;
    job.brokers = RotatedBrokers(plan_.brokers, index);
    job.product_key = plan_.product_key;
    job.values = device.csv_values;
    attempt->verb = job.verb;
    attempt->pages = job.pages;
    QStringList args;
    for (const std::string &a : FleetWorkerArguments(job)) args << QString::fromStdString(a);
    attempt->process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kFleetSecretVariable, QString::fromStdString(plan_.product_secret));
    attempt->process->setProcessEnvironment(env);
    // A process group of its own: a Ctrl-C on the terminal reaches this
    // process only, which passes it on.
    attempt->process->setChildProcessModifier([] { setpgid(0, 0); });
    QProcess *process = attempt->process.get();
    QObject::connect(process, &QProcess::readyReadStandardError, &loop_, [this, index] { TakeStderr(index); });
    QObject::connect(process, &QProcess::finished, &loop_, [this, index] { Finished(index); });
    QObject::connect(process, &QProcess::errorOccurred, &loop_, [this, index](QProcess::ProcessError e) {
      if (e == QProcess::FailedToStart) Finished(index);
    });
    attempt->deadline.setSingleShot(true);
    QObject::connect(&attempt->deadline, &QTimer::timeout, &loop_, [this, index] { OutOfTime(index); });
    attempt->deadline.start(plan_.options.device_timeout_s * 1000);
    attempt->kill.setSingleShot(true);
    QObject::connect(&attempt->kill, &QTimer::timeout, &loop_, [this, index] { Signal(index, SIGKILL); });
    ++device.result.attempts;
    attempt->clock.start();
    device.attempt = std::move(attempt);
    process->start(QCoreApplication::applicationFilePath(), args);
  }

  void Signal(size_t index, int signal_number) {
    Attempt *attempt = devices_[index]->attempt.get();
    if (attempt == nullptr) return;
    const qint64 pid = attempt->process->processId();
    if (pid > 0) ::kill(static_cast<pid_t>(pid), signal_number);
  }

  void OutOfTime(size_t index) {
    Attempt *attempt = devices_[index]->attempt.get();
    if (attempt == nullptr) return;
    attempt->out_of_time = true;
    Signal(index, SIGINT);  // stops after the page it writes
    attempt->kill.start(kKillGraceMs);
  }

  // Every stop signal is passed on: the first makes the workers stop after
  // their page, a second ends them at once.
  void PassOnStopSignals() {
    if (ProvisionStopCount() <= forwarded_) return;
    forwarded_ = ProvisionStopCount();
    for (size_t i = 0; i < devices_.size(); ++i) Signal(i, ProvisionStopSignal());
  }

  void TakeStderr(size_t index) {
    if (devices_[index]->attempt) TakePageLines(*devices_[index]->attempt);
  }

  void Finished(size_t index) {
    Device &device = *devices_[index];
    if (!device.attempt) return;
    std::unique_ptr<Attempt> attempt = std::move(device.attempt);
    attempt->deadline.stop();
    attempt->kill.stop();
    if (attempt->process->state() != QProcess::NotRunning) attempt->process->waitForFinished(-1);
    TakePageLines(*attempt);
    const QByteArray out = attempt->process->readAllStandardOutput();
    ProvisionReport report;
    const bool have_report = ProvisionReportFromJson(out, report) && report.devices.size() == 1;
    device.result.seconds += attempt->clock.elapsed() / 1000.0;
    if (!have_report) Ended(device, *attempt);
    else if (attempt->verb == "diff") Reread(device, report.devices[0], *attempt);
    else Applied(device, report.devices[0], *attempt);
    if (index < canary_ && device.final && device.result.state != FleetState::kSucceeded && stop_reason_.empty()) {
      stop_reason_ = "stopped: the canary device " + device.result.imei + " did not succeed";
    }
    ShowProgress();
    StartWhatMay();
  }

  // The worker's "@progress K N PAGE" lines say which page it works on;
  // everything else it says lands in its report.
  static void TakePageLines(Attempt &attempt) {
    attempt.stderr_tail += attempt.process->readAllStandardError();
    int end;
    while ((end = attempt.stderr_tail.indexOf('\n')) >= 0) {
      const QByteArray line = attempt.stderr_tail.left(end);
      attempt.stderr_tail.remove(0, end + 1);
      if (!line.startsWith(kProgressTag)) continue;
      const QList<QByteArray> words = line.mid(static_cast<int>(sizeof kProgressTag - 1)).split(' ');
      if (words.size() < 3) continue;
      attempt.page_number = words[0].toInt();
      attempt.page_now = words[2].toStdString();
    }
  }

  void Final(Device &device, FleetState state, int exit_code) {
    device.final = true;
    device.result.state = state;
    device.result.exit_code = state == FleetState::kSucceeded ? kExitOk : std::max(exit_code, 1);
    device.result.pages_done = static_cast<int>(device.result.pages_verified.size());
  }

  void Verified(Device &device, const std::string &page) {
    device.todo.erase(std::remove(device.todo.begin(), device.todo.end(), page), device.todo.end());
    auto &done = device.result.pages_verified;
    if (std::find(done.begin(), done.end(), page) == done.end()) done.push_back(page);
    // Keep them in tree order.
    std::vector<std::string> ordered;
    for (const std::string &p : plan_.options.pages) {
      if (std::find(done.begin(), done.end(), p) != done.end()) ordered.push_back(p);
    }
    done = ordered;
  }

  // The worker left no report: it could not start, crashed or was ended.
  // A worker stops at its first failed page, so the pages before the one
  // it worked on went well.
  void Ended(Device &device, const Attempt &attempt) {
    for (int i = 0; i + 1 < attempt.page_number && i < static_cast<int>(attempt.pages.size()); ++i) {
      Verified(device, attempt.pages[static_cast<size_t>(i)]);
    }
    // The page is named in the failure's own member.
    const std::string page = attempt.page_now.empty() ? std::string("its first page") : "this page";
    device.result.failure.page = attempt.page_now;
    if (attempt.process->error() == QProcess::FailedToStart) {
      device.result.failure.reason = "cannot start a worker process: " + attempt.process->errorString().toStdString();
      return Final(device, FleetState::kFailed, kExitRefused);
    }
    if (attempt.out_of_time) {
      device.result.failure.reason = "ran out of its " + std::to_string(plan_.options.device_timeout_s) +
                                     " s and was ended while working on " + page + ": its state is unknown";
      return Final(device, FleetState::kTimedOut, kExitNoAnswer);
    }
    if (ProvisionStopCount() > 1) {
      device.result.failure.reason = "ended by a second Ctrl-C while working on " + page + ": its state is unknown";
      return Final(device, FleetState::kCanceled, kExitInterrupted);
    }
    device.result.failure.reason = "the worker process ended without a report (exit " +
                                   std::to_string(attempt.process->exitCode()) + ") while working on " + page;
    Final(device, FleetState::kFailed, kExitRefused);
  }

  // The first page of the attempt that did not go well, or null.
  static const ProvisionPageReport *FirstFailure(const ProvisionDeviceReport &report) {
    for (const ProvisionPageReport &page : report.pages) {
      if (!WentWell(page.status) && page.status != ProvisionStatus::kNotDone) return &page;
    }
    return nullptr;
  }

  // What the file (with the device's values) holds for a field.
  std::string FileValue(const Device &device, const std::string &page_name, const std::string &field) const {
    std::unique_ptr<DtuPage> page = ProvisionCreatePage(page_name);
    if (!page) return std::string();
    DtuMessageSink previous = DtuSetMessageSink([](const std::string &) {});
    std::string value, why;
    if (page->OnBnClickedBtReadLocal() && FleetAdjustPage(*page, device.result.imei, device.csv_values, why)) {
      page->GetField(field, value);
    }
    DtuSetMessageSink(previous);
    return value;
  }

  FleetFailure FailureOf(const Device &device, const ProvisionPageReport &page) const {
    FleetFailure failure;
    failure.page = page.page;
    failure.reason = ProvisionStatusName(page.status);
    if (!page.diffs.empty()) {
      failure.field = page.diffs[0].field;
      failure.device = page.diffs[0].device;
      failure.file = page.diffs[0].file;
      if (page.diffs.size() > 1) failure.reason += " (" + std::to_string(page.diffs.size()) + " fields)";
      return failure;
    }
    if (!page.failed_fields.empty()) {
      const std::string &first = page.failed_fields[0];  // "Server: device error"
      const size_t colon = first.rfind(": ");
      failure.field = first.substr(0, colon);
      failure.device = colon == std::string::npos ? std::string() : "(" + first.substr(colon + 2) + ")";
      const std::string single = failure.field.substr(0, failure.field.find('/'));
      failure.file = FileValue(device, page.page, single);
    }
    if (!page.messages.empty()) failure.reason += ": " + Joined(page.messages, "; ");
    return failure;
  }

  void Applied(Device &device, const ProvisionDeviceReport &report, const Attempt &attempt) {
    for (const ProvisionPageReport &page : report.pages) {
      if (WentWell(page.status)) Verified(device, page.page);
    }
    const ProvisionPageReport *failed = FirstFailure(report);
    const bool interrupted = report.exit_code == kExitInterrupted || attempt.out_of_time;
    if (failed == nullptr && report.error.empty() && device.todo.empty()) {
      return Final(device, FleetState::kSucceeded, kExitOk);
    }
    if (ProbeUnanswered(report)) return NeverAnswered(device, report);
    if (failed != nullptr && !interrupted && CutOff(*failed, report)) {
      // What the device holds of the page is not known. Read it again
      // before anything is sent to it again.
      device.reread = {failed->page};
      const bool lost = failed->status == ProvisionStatus::kPortLost || !report.error.empty() || FoundPortClosed(*failed);
      device.cut_off = "page " + failed->page + " was cut off (" +
                       (lost ? std::string("the broker connection was lost") : ProvisionStatusName(failed->status)) + ")";
      waiting_.push_front(IndexOf(device));
      return;
    }
    if (failed != nullptr) {
      device.result.failure = FailureOf(device, *failed);
      const FleetState state = failed->status == ProvisionStatus::kNoAnswer ? FleetState::kTimedOut : FleetState::kFailed;
      return Final(device, state, ProvisionDeviceExitCode(report));
    }
    // Stopped between pages (Ctrl-C, out of time) or the port could not be opened.
    const std::string after = LastDone(report).empty() ? "before its first page" : "after page " + LastDone(report);
    const std::string left = "; not done: " + Joined(device.todo, ", ");
    if (attempt.out_of_time) {
      device.result.failure.reason = "ran out of its " + std::to_string(plan_.options.device_timeout_s) +
                                     " s and was stopped " + after + left;
      return Final(device, FleetState::kTimedOut, kExitNoAnswer);
    }
    if (report.exit_code == kExitInterrupted) {
      device.result.failure.reason = "stopped by Ctrl-C " + after + left;
      return Final(device, FleetState::kCanceled, kExitInterrupted);
    }
    device.result.failure.reason = report.error.empty() ? "pages not done: " + Joined(device.todo, ", ") : report.error;
    Final(device, FleetState::kFailed, std::max(ProvisionDeviceExitCode(report), 1));
  }

  // The last page of the attempt that went well, "" when none did.
  static std::string LastDone(const ProvisionDeviceReport &report) {
    std::string last;
    for (const ProvisionPageReport &page : report.pages) {
      if (WentWell(page.status) && page.status != ProvisionStatus::kNotInFile) last = page.page;
    }
    return last;
  }

  // A page whose writing may have been cut off half-way: a set line went
  // unanswered, or the connection went while the page was at work (a page
  // that paces its own lines may have written some before it found the
  // port gone, whatever its own "sent" says).
  // After a page started, the report's own error can only be the lost port;
  // a page that found the port closed before the loss was reported refused
  // its next line with the page's own "not open" text.
  static bool CutOff(const ProvisionPageReport &page, const ProvisionDeviceReport &report) {
    if (page.status == ProvisionStatus::kNoAnswer && page.sent) return true;
    return page.status == ProvisionStatus::kPortLost || !report.error.empty() || FoundPortClosed(page);
  }

  static bool FoundPortClosed(const ProvisionPageReport &page) {
    const std::string closed = DtuLangText(DtuTextId::kPortNotOpen);
    return page.status == ProvisionStatus::kRefused &&
           std::find(page.messages.begin(), page.messages.end(), closed) != page.messages.end();
  }

  // The worker's first question (its version) went unanswered.
  static bool ProbeUnanswered(const ProvisionDeviceReport &report) {
    return FirstFailure(report) == nullptr && !report.error.empty() && report.exit_code == kExitNoAnswer;
  }

  void NeverAnswered(Device &device, const ProvisionDeviceReport &report) {
    ++device.never_answered;
    if (device.never_answered <= plan_.options.retries) {
      waiting_.push_back(IndexOf(device));  // after the others had their turn
      return;
    }
    device.result.failure.reason = report.error + " (" + std::to_string(device.never_answered) +
                                   (device.never_answered == 1 ? " attempt)" : " attempts)");
    Final(device, FleetState::kTimedOut, kExitNoAnswer);
  }

  void Reread(Device &device, const ProvisionDeviceReport &report, const Attempt &attempt) {
    const std::string cut = device.cut_off + " and the device was read again";
    // A device that came back to the broker a moment later may miss the
    // first question: it is asked again, as one that never answered.
    if (ProbeUnanswered(report) && device.never_answered < plan_.options.retries) {
      ++device.never_answered;
      waiting_.push_back(IndexOf(device));
      return;
    }
    device.reread.clear();
    const ProvisionPageReport *failed = FirstFailure(report);
    if (failed == nullptr && report.error.empty()) {
      for (const ProvisionPageReport &page : report.pages) Verified(device, page.page);
      device.result.note = cut + " and holds the file's values";
      if (device.todo.empty()) return Final(device, FleetState::kSucceeded, kExitOk);
      waiting_.push_front(IndexOf(device));  // on with the pages not written yet
      return;
    }
    if (failed != nullptr && failed->status == ProvisionStatus::kDiffers) {
      device.result.failure = FailureOf(device, *failed);
      device.result.failure.reason = "the device differs from the file after " + cut + "; not written again";
      return Final(device, FleetState::kFailed, kExitReadBackDiffers);
    }
    device.result.failure.page = failed != nullptr ? failed->page : attempt.pages.front();
    device.result.failure.reason = cut + ", which did not succeed (" +
                                   (failed != nullptr ? ProvisionStatusName(failed->status) : report.error) +
                                   "): its state is unknown";
    Final(device, attempt.out_of_time || (failed && failed->status == ProvisionStatus::kNoAnswer) || !failed
                      ? FleetState::kTimedOut
                      : FleetState::kFailed,
          std::max(ProvisionDeviceExitCode(report), 1));
  }

  size_t IndexOf(const Device &device) const {
    for (size_t i = 0; i < devices_.size(); ++i) {
      if (devices_[i].get() == &device) return i;
    }
    return 0;
  }

  const FleetPlan &plan_;
  std::vector<std::unique_ptr<Device>> devices_;
  std::deque<size_t> waiting_;
  size_t canary_ = 0;  // devices 0 .. canary_-1 go first
  int forwarded_ = 0;
  std::string stop_reason_;
  QEventLoop loop_;
  FleetProgressLine progress_;
};

}  // namespace

std::vector<FleetDeviceResult> FleetRun(const FleetPlan &plan, std::string &stopped) {
  FleetRunner runner(plan);
  return runner.Run(stopped);
}
