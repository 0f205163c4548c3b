// The window icon, drawn at run time so that the program needs no resource file.
#pragma once

#include <QIcon>

QIcon VarnokAppIcon();
