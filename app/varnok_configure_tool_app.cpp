#include "app/varnok_configure_tool_app.h"

#include <cstdio>

#include <QTimer>

#include "app/shell/gui_message_sink.h"
#include "app/shell/varnok_configure_tool_dlg.h"
#include "base/varnok_version.h"

CVarnokConfigureToolApp::CVarnokConfigureToolApp(int &argc, char **argv) : app_(argc, argv) {
  QApplication::setApplicationName(QStringLiteral("varnok-configure-tool"));
  QApplication::setApplicationVersion(QString::fromLatin1(kVarnokVersion));
}

QString CVarnokConfigureToolApp::OptionValue(const QStringList &arguments, const QString &option) {
  const QString with_value = option + QLatin1Char('=');
  for (int i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == option && i + 1 < arguments.size()) {
      return arguments[i + 1];
    }
    if (arguments[i].startsWith(with_value)) {
      return arguments[i].mid(with_value.size());
    }
  }
  return QString();
}

QString CVarnokConfigureToolApp::InitialPort(const QStringList &arguments) {
  const QString port = OptionValue(arguments, QStringLiteral("--port"));
  return port.isEmpty() ? qEnvironmentVariable("VARNOK_PORT") : port;
}

int CVarnokConfigureToolApp::Run() {
  // Installed first: a message of the start-up (a configuration file that
  // cannot be created) already appears in a box.
  DtuInstallGuiMessageSink();
  CVarnokConfigureToolDlg window;
  const QString port = InitialPort(QApplication::arguments());
  if (!port.isEmpty()) {
    window.PresetPort(port);
  }
  if (OptionValue(QApplication::arguments(), QStringLiteral("--language")) == QStringLiteral("zh")) {
    window.SetLanguage(0);
  }
  const QString page = OptionValue(QApplication::arguments(), QStringLiteral("--page"));
  if (!page.isEmpty() && !window.SelectPage(page.toInt())) {
    std::fprintf(stderr, "varnok-configure-tool: no page with code %s\n", qPrintable(page));
  }
  window.show();
  const QString picture = OptionValue(QApplication::arguments(), QStringLiteral("--screenshot"));
  if (!picture.isEmpty()) {
    // Saves a picture of the window once it is drawn, then ends.
    QTimer::singleShot(700, &window, [&window, picture] {
      window.grab().save(picture);
      QApplication::quit();
    });
  }
  const int code = QApplication::exec();
  DtuRemoveGuiMessageSink();
  return code;
}
