// How the command port's receive window shows a line: optionally with the
// time it arrived and with its bytes as hex pairs, and how a sent command is
// echoed. Pure functions, so the formats are tested directly.
#pragma once

#include <QString>
#include <QStringList>
#include <QTime>

struct TerminalOptions {
  bool time_stamps = false;  // "hh:mm:ss.zzz " before each line
  bool hex = false;          // the line's bytes as hex pairs next to its text
};

// One received line (without its line end) as the window shows it.
QString TerminalFormatLine(const QString &line, const TerminalOptions &options, const QTime &at);

// A sent command, marked as sent: ">> AT".
QString TerminalEchoLine(const QString &command, const TerminalOptions &options, const QTime &at);

// The commands of the send field: one per line, empty lines dropped; a field
// with nothing but empty lines gives one empty command (a bare CR LF).
QStringList TerminalCommands(const QString &field_text);
