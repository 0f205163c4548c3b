// The one road by which messages reach the user. The GUI points the sink at a
// modal message box shown on the GUI thread, varnokctl at standard error, tests
// at a recorder. Nothing below the application layer opens a window.
#pragma once

#include <functional>
#include <string>

// Confirmations are information; failures and refusals (validation, port
// errors, a lost port, time-outs, a device that refused) are warnings.
enum class DtuMessageKind { kInformation, kWarning };

using DtuMessageSink = std::function<void(const std::string &text)>;
using DtuKindMessageSink = std::function<void(const std::string &text, DtuMessageKind kind)>;

// Shows one message through the current sink (standard error when none is set).
void DtuMessageBox(const std::string &text, DtuMessageKind kind = DtuMessageKind::kInformation);
// A failure or refusal.
inline void DtuWarningBox(const std::string &text) { DtuMessageBox(text, DtuMessageKind::kWarning); }

// Replaces the sink; returns the previous one so a caller can restore it.
// A plain sink hears the text only.
DtuMessageSink DtuSetMessageSink(DtuMessageSink sink);
DtuKindMessageSink DtuSetKindMessageSink(DtuKindMessageSink sink);
