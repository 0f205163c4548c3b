#include "cli/provision_parallel.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/provision_progress.h"
#include "cli/provision_stop.h"
#include "cli/verb_registry.h"

namespace {

const char kProgressTag[] = "@progress ";
constexpr int kStopPollMs = 50;

struct Worker {
  std::string port;
  std::unique_ptr<QProcess> process;
  QByteArray stderr_tail;  // a line not yet complete
  int pages_started = 0;
  bool finished = false;
};

// The worker's standard error: progress lines are counted, anything else is
// passed on with the port in front, so parallel messages stay apart.
void TakeStderr(Worker &worker, ProvisionProgressLine &progress) {
  worker.stderr_tail += worker.process->readAllStandardError();
  int end;
  while ((end = worker.stderr_tail.indexOf('\n')) >= 0) {
    const QByteArray line = worker.stderr_tail.left(end);
    worker.stderr_tail.remove(0, end + 1);
    if (line.startsWith(kProgressTag)) {
      ++worker.pages_started;
      continue;
    }
    progress.Clear();
    std::fprintf(stderr, "%s: %s\n", worker.port.c_str(), line.constData());
  }
}

// The worker's JSON report; a worker that left none (it could not start, or
// was ended by a second Ctrl-C) is reported with its pages not done.
ProvisionDeviceReport ReportOf(Worker &worker, const std::vector<std::string> &pages) {
  ProvisionReport report;
  const QByteArray out = worker.process->readAllStandardOutput();
  if (ProvisionReportFromJson(out, report) && report.devices.size() == 1) return report.devices[0];
  ProvisionDeviceReport device;
  device.port = worker.port;
  for (const std::string &name : pages) device.pages.push_back(ProvisionPageNotDone(name));
  if (worker.process->error() == QProcess::FailedToStart) {
    device.exit_code = kExitRefused;
    device.error = "cannot start a worker process: " + worker.process->errorString().toStdString();
  } else if (worker.process->exitStatus() != QProcess::NormalExit) {
    device.exit_code = kExitInterrupted;
    device.error = "the worker process was ended";
  } else {
    device.exit_code = std::max(worker.process->exitCode(), 1);
    device.error = "the worker process ended without a report";
  }
  return device;
}

std::unique_ptr<QProcess> StartWorker(const ProvisionOptions &options, const std::string &port) {
  auto process = std::make_unique<QProcess>();
  QStringList args;
  for (const std::string &a : ProvisionWorkerArguments(options, port)) args << QString::fromStdString(a);
  // A process group of its own: a Ctrl-C on the terminal reaches this
  // process only, which passes it on exactly once; one passed on while
  // the worker starts waits for its handler.
  process->setChildProcessModifier([] {
    setpgid(0, 0);
    ProvisionHoldStopSignals();
  });
  process->start(QCoreApplication::applicationFilePath(), args);
  return process;
}

}  // namespace

void ProvisionWorkerProgress(int index, int count, const std::string &page) {
  std::fprintf(stderr, "%s%d %d %s\n", kProgressTag, index + 1, count, page.c_str());
  std::fflush(stderr);
}

std::vector<ProvisionDeviceReport> ProvisionRunParallel(const ProvisionOptions &options,
                                                         ProvisionProgressLine &progress) {
  std::vector<Worker> workers(options.ports.size());
  QEventLoop loop;
  int running = 0;
  const int total_pages = static_cast<int>(options.ports.size() * options.pages.size());
  auto show = [&] {
    int started = 0;
    for (const Worker &w : workers) started += w.pages_started;
    progress.ShowParallel(static_cast<int>(workers.size()) - running, static_cast<int>(workers.size()), started,
                          total_pages);
  };
  for (size_t i = 0; i < workers.size(); ++i) {
    Worker &w = workers[i];
    w.port = options.ports[i];
    w.process = StartWorker(options, w.port);
    ++running;
    QObject::connect(w.process.get(), &QProcess::readyReadStandardError, &loop, [&, i] {
      TakeStderr(workers[i], progress);
      show();
    });
    auto ended = [&, i] {
      if (workers[i].finished) return;
      workers[i].finished = true;
      if (--running == 0) loop.quit();
    };
    QObject::connect(w.process.get(), &QProcess::finished, &loop, ended);
    QObject::connect(w.process.get(), &QProcess::errorOccurred, &loop, [&, i, ended](QProcess::ProcessError e) {
      if (e == QProcess::FailedToStart) ended();
    });
  }
  int forwarded = 0;
  QTimer stop_poll;
  QObject::connect(&stop_poll, &QTimer::timeout, &loop, [&] {
    // Every stop signal is passed on: the first makes the workers stop after
    // their page, a second ends them at once.
    if (ProvisionStopCount() <= forwarded) return;
    forwarded = ProvisionStopCount();
    for (Worker &w : workers) {
      const qint64 pid = w.process->processId();
      if (!w.finished && pid > 0) ::kill(static_cast<pid_t>(pid), ProvisionStopSignal());
    }
  });
  stop_poll.start(kStopPollMs);
  if (running > 0) loop.exec();
  std::vector<ProvisionDeviceReport> devices;
  for (Worker &w : workers) {
    if (w.process->state() != QProcess::NotRunning) w.process->waitForFinished(-1);
    TakeStderr(w, progress);
    devices.push_back(ReportOf(w, options.pages));
  }
  return devices;
}
