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
#include <deque>
#include <memory>

#include "cli/fleet_device.h"
#include "cli/fleet_events.h"
#include "cli/fleet_progress.h"
#include "cli/fleet_worker.h"
#include "cli/provision_stop.h"
#include "cli/verb_registry.h"
#include "remote/dtu_mqtt_connection.h"

namespace {

const char kProgressTag[] = "@progress ";
constexpr int kStopPollMs = 50;
constexpr int kKillGraceMs = 10000;  // after a device's time ran out and it was asked to stop

// One worker process at work on a device.
struct Attempt {
  std::unique_ptr<QProcess> process;
  QByteArray stderr_tail;
  FleetAttemptEnd end;  // filled in as the worker goes
  QElapsedTimer clock;
  QTimer deadline;
  QTimer kill;
};

// The brokers with the `index`th first: the devices spread over them, and
// each falls back on the next ones.
std::string RotatedBrokers(const std::string &list, size_t index) {
  std::vector<DtuMqttBroker> brokers;
  std::string error;
  if (!DtuMqttParseBrokers(list, 1883, brokers, error) || brokers.size() < 2) return list;
  std::rotate(brokers.begin(), brokers.begin() + static_cast<long>(index % brokers.size()), brokers.end());
  return DtuMqttBrokersText(brokers);
}

// The worker's "@progress K N PAGE" lines say which page it works on;
// everything else it says lands in its report. True when the page changed.
bool TakePageLines(Attempt &attempt) {
  const std::string before = attempt.end.page_now;
  attempt.stderr_tail += attempt.process->readAllStandardError();
  int end;
  while ((end = attempt.stderr_tail.indexOf('\n')) >= 0) {
    const QByteArray line = attempt.stderr_tail.left(end);
    attempt.stderr_tail.remove(0, end + 1);
    if (!line.startsWith(kProgressTag)) continue;
    const QList<QByteArray> words = line.mid(static_cast<int>(sizeof kProgressTag - 1)).split(' ');
    if (words.size() < 3) continue;
    attempt.end.page_number = words[0].toInt();
    attempt.end.page_now = words[2].toStdString();
  }
  return attempt.end.page_now != before;
}

class FleetRunner {
 public:
  explicit FleetRunner(const FleetPlan &plan) : plan_(plan), events_(plan.options.events) {
    for (size_t i = 0; i < plan.imeis.size(); ++i) {
      auto values = plan.csv_values.find(plan.imeis[i]);
      devices_.push_back(std::make_unique<FleetDevice>(plan.imeis[i], plan.options,
                                                       values != plan.csv_values.end() ? values->second : FleetValues(),
                                                       plan.template_fields));
      attempts_.emplace_back();
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
      if (device->Final()) continue;
      device->NotStarted("not started: " + (stop_reason_.empty() ? std::string("the run ended") : stop_reason_),
                         ProvisionStopRequested() ? kExitInterrupted : kExitOk);
      events_.Final(device->Result());
    }
    stopped = stop_reason_;
    std::vector<FleetDeviceResult> results;
    for (auto &device : devices_) results.push_back(device->Result());
    return results;
  }

 private:
  int Running() const {
    return static_cast<int>(std::count_if(attempts_.begin(), attempts_.end(), [](const auto &a) { return a != nullptr; }));
  }

  // Devices in a final state, and those of them that failed.
  void Counts(int &finished, int &failed) const {
    finished = failed = 0;
    for (const auto &device : devices_) {
      finished += device->Final();
      failed += device->Failed();
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
      if (!devices_[i]->Final()) return false;
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

  FleetWorkerJob JobFor(size_t index) const {
    const FleetDevice &device = *devices_[index];
    FleetWorkerJob job;
    job.imei = device.Result().imei;
    job.file = plan_.options.file;
    job.verb = device.NextVerb();
    job.pages = device.NextPages();
    job.timeout_ms = plan_.options.timeout_ms;
    job.brokers = RotatedBrokers(plan_.brokers, index);
    job.product_key = plan_.product_key;
    job.values = device.CsvValues();
    return job;
  }

  void Start(size_t index) {
    const FleetWorkerJob job = JobFor(index);
    auto attempt = std::make_unique<Attempt>();
    attempt->end.verb = job.verb;
    attempt->end.pages = job.pages;
    QStringList args;
    for (const std::string &a : FleetWorkerArguments(job)) args << QString::fromStdString(a);
    attempt->process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kFleetSecretVariable, QString::fromStdString(plan_.product_secret));
    attempt->process->setProcessEnvironment(env);
    // A process group of its own: a Ctrl-C on the terminal reaches this
    // process only, which passes it on; one passed on while the worker
    // starts waits for its handler.
    attempt->process->setChildProcessModifier([] {
      setpgid(0, 0);
      ProvisionHoldStopSignals();
    });
    QProcess *process = attempt->process.get();
    QObject::connect(process, &QProcess::readyReadStandardError, &loop_, [this, index] {
      if (attempts_[index] && TakePageLines(*attempts_[index])) {
        events_.Running(devices_[index]->Result(), attempts_[index]->end.page_now, attempts_[index]->end.page_number);
      }
    });
    QObject::connect(process, &QProcess::finished, &loop_, [this, index] { Finished(index); });
    QObject::connect(process, &QProcess::errorOccurred, &loop_, [this, index](QProcess::ProcessError e) {
      if (e == QProcess::FailedToStart) Finished(index);
    });
    attempt->deadline.setSingleShot(true);
    QObject::connect(&attempt->deadline, &QTimer::timeout, &loop_, [this, index] { OutOfTime(index); });
    attempt->deadline.start(plan_.options.device_timeout_s * 1000);
    attempt->kill.setSingleShot(true);
    QObject::connect(&attempt->kill, &QTimer::timeout, &loop_, [this, index] { Signal(index, SIGKILL); });
    devices_[index]->Started();
    events_.Running(devices_[index]->Result(), std::string(), 0);
    attempt->clock.start();
    attempts_[index] = std::move(attempt);
    process->start(QCoreApplication::applicationFilePath(), args);
  }

  void Signal(size_t index, int signal_number) {
    if (!attempts_[index]) return;
    const qint64 pid = attempts_[index]->process->processId();
    if (pid > 0) ::kill(static_cast<pid_t>(pid), signal_number);
  }

  void OutOfTime(size_t index) {
    if (!attempts_[index]) return;
    attempts_[index]->end.out_of_time = true;
    Signal(index, SIGINT);  // stops after the page it writes
    attempts_[index]->kill.start(kKillGraceMs);
  }

  // Every stop signal is passed on: the first makes the workers stop after
  // their page, a second ends them at once.
  void PassOnStopSignals() {
    if (ProvisionStopCount() <= forwarded_) return;
    forwarded_ = ProvisionStopCount();
    for (size_t i = 0; i < devices_.size(); ++i) Signal(i, ProvisionStopSignal());
  }

  void Finished(size_t index) {
    if (!attempts_[index]) return;
    std::unique_ptr<Attempt> attempt = std::move(attempts_[index]);
    attempt->deadline.stop();
    attempt->kill.stop();
    if (attempt->process->state() != QProcess::NotRunning) attempt->process->waitForFinished(-1);
    TakePageLines(*attempt);
    FleetAttemptEnd &end = attempt->end;
    ProvisionReport report;
    end.have_report = ProvisionReportFromJson(attempt->process->readAllStandardOutput(), report) &&
                      report.devices.size() == 1;
    if (end.have_report) end.report = report.devices[0];
    end.seconds = attempt->clock.elapsed() / 1000.0;
    end.failed_to_start = attempt->process->error() == QProcess::FailedToStart;
    end.start_error = attempt->process->errorString().toStdString();
    end.process_exit_code = attempt->process->exitCode();
    end.second_stop = ProvisionStopCount() > 1;
    FleetDevice &device = *devices_[index];
    const FleetNext next = device.AttemptEnded(end);
    if (next == FleetNext::kAgainFirst) waiting_.push_front(index);
    if (next == FleetNext::kAgainLater) waiting_.push_back(index);
    if (device.Final()) events_.Final(device.Result());
    else events_.Waiting(device.Result());
    const bool canary_failed = index < canary_ && device.Final() && device.Result().state != FleetState::kSucceeded;
    if (canary_failed && stop_reason_.empty()) {
      stop_reason_ = "stopped: the canary device " + device.Result().imei + " did not succeed";
    }
    ShowProgress();
    StartWhatMay();
  }

  const FleetPlan &plan_;
  std::vector<std::unique_ptr<FleetDevice>> devices_;
  std::vector<std::unique_ptr<Attempt>> attempts_;  // per device, while a worker runs
  std::deque<size_t> waiting_;
  size_t canary_ = 0;  // devices 0 .. canary_-1 go first
  int forwarded_ = 0;
  std::string stop_reason_;
  QEventLoop loop_;
  FleetProgressLine progress_;
  FleetEvents events_;
};

}  // namespace

std::vector<FleetDeviceResult> FleetRun(const FleetPlan &plan, std::string &stopped) {
  FleetRunner runner(plan);
  return runner.Run(stopped);
}
