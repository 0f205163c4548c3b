// The application object: starts the toolkit, builds the main window, runs it
// until it is closed.
#pragma once

#include <QApplication>
#include <QString>

class CVarnokConfigureToolApp {
 public:
  CVarnokConfigureToolApp(int &argc, char **argv);

  // The port to preselect: "--port PATH" on the command line, else the
  // environment variable VARNOK_PORT; empty when neither is given.
  static QString InitialPort(const QStringList &arguments);

  // The value of "--name VALUE" or "--name=VALUE"; empty when absent.
  static QString OptionValue(const QStringList &arguments, const QString &option);

  // Shows the main window and runs until it closes; the exit code.
  // "--screenshot FILE" saves a picture of the window and ends instead.
  int Run();

 private:
  QApplication app_;
};
