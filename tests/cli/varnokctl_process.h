// varnokctl of this build run as a separate process, with what it printed
// and its exit code (VARNOKCTL_PATH comes from the build).
#pragma once

#include <QProcess>
#include <QStringList>

#include <string>

#include "sim/dtu_sim.h"

struct VarnokctlResult {
  int exit_code;
  std::string out;
  std::string err;
};

inline VarnokctlResult FinishVarnokctl(QProcess &process, int timeout_ms) {
  if (!process.waitForFinished(timeout_ms)) {
    process.kill();
    process.waitForFinished();
    return {-1, "", "timed out"};
  }
  return {process.exitCode(), process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

inline VarnokctlResult RunVarnokctl(const QStringList &args, int timeout_ms = 60000) {
  QProcess process;
  process.start(VARNOKCTL_PATH, args);
  return FinishVarnokctl(process, timeout_ms);
}

inline QString Path(DtuSim &sim) { return QString::fromStdString(sim.SlavePath()); }
