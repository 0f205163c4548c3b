// The one road by which messages reach the user. The GUI points the sink at a
// modal message box shown on the GUI thread, varnokctl at standard error, tests
// at a recorder. Nothing below the application layer opens a window.
#pragma once

#include <functional>
#include <string>

using DtuMessageSink = std::function<void(const std::string &text)>;

// Shows one message through the current sink (standard error when none is set).
void DtuMessageBox(const std::string &text);

// Replaces the sink; returns the previous one so a caller can restore it.
DtuMessageSink DtuSetMessageSink(DtuMessageSink sink);
