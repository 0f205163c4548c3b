// Points DtuMessageBox at a modal message box. Whatever thread a message comes
// from, the box opens on the GUI thread: a message from another thread is
// queued there (the caller does not wait for it to be closed).
#pragma once

#include <QObject>

// Installs the sink; `owner` (the main window) parents the boxes. Returns
// nothing: the sink stays until DtuRemoveGuiMessageSink or the next install.
void DtuInstallGuiMessageSink(QWidget *owner);
void DtuRemoveGuiMessageSink();
