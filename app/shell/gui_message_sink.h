// Points DtuMessageBox at a modal message box. Whatever thread a message comes
// from, the box opens on the GUI thread: a message from another thread is
// queued there (the caller does not wait for it to be closed). One box at a
// time: messages that come while a box is open follow it in order.
#pragma once

// Installs the sink (a QApplication must exist); the boxes sit over the
// active window. The sink stays until DtuRemoveGuiMessageSink.
void DtuInstallGuiMessageSink();
void DtuRemoveGuiMessageSink();
