// Writes the window's icon as PNG files for the desktop menu, at build time:
//   varnok-icon-export OUT_DIR SIZE...
// Each size lands in OUT_DIR/<size>x<size>/apps/varnok-configure-tool.png,
// the layout of the hicolor icon theme, so the tree installs as it is.
#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

#include "app/shell/app_icon.h"

int main(int argc, char **argv) {
  // No display is needed to paint into a pixmap.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: varnok-icon-export OUT_DIR SIZE...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 16 || size > 1024) {
      std::fprintf(stderr, "varnok-icon-export: bad size '%s'\n", argv[i]);
      return 2;
    }
    const QString dir = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    const QString file = dir + "/varnok-configure-tool.png";
    if (!QDir().mkpath(dir) || !VarnokAppIconPixmap(size).save(file, "PNG")) {
      std::fprintf(stderr, "varnok-icon-export: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
