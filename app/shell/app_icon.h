// The window icon, drawn at run time so that the program needs no resource file.
// The package's menu icons are exported from the same drawing at build time.
#pragma once

#include <QIcon>
#include <QPixmap>

// The icon at one square size in pixels.
QPixmap VarnokAppIconPixmap(int size);

// The icon at the sizes a window uses (title bar, task bar, switcher).
QIcon VarnokAppIcon();
