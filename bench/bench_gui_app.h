// The set-up every window benchmark shares: the offscreen platform, the
// application object, and a temporary working folder that takes the
// configuration files and the log, so a run leaves nothing behind.
#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "base/dtu_log.h"

class BenchGuiApp {
 public:
  BenchGuiApp(int &argc, char **argv) : app_(argc, argv) {
    QDir::setCurrent(dir_.path());
    DtuLogSetPath(dir_.filePath("log.txt").toStdString());
  }

 private:
  // Chooses the platform before the application object reads it.
  struct OffscreenPlatform {
    OffscreenPlatform() { qputenv("QT_QPA_PLATFORM", "offscreen"); }
  };

  OffscreenPlatform platform_;
  QApplication app_;
  QTemporaryDir dir_;
};
