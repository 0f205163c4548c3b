#include "app/views/cmd_port/terminal_format.h"

namespace {

QString Stamp(const TerminalOptions &options, const QTime &at) {
  return options.time_stamps ? at.toString(QStringLiteral("hh:mm:ss.zzz ")) : QString();
}

QString HexPairs(const QString &line) {
  return QString::fromLatin1(line.toUtf8().toHex(' ').toUpper());
}

}  // namespace

QString TerminalFormatLine(const QString &line, const TerminalOptions &options, const QTime &at) {
  QString shown = Stamp(options, at) + line;
  if (options.hex && !line.isEmpty()) shown += QStringLiteral("    [") + HexPairs(line) + QLatin1Char(']');
  return shown;
}

QString TerminalEchoLine(const QString &command, const TerminalOptions &options, const QTime &at) {
  return Stamp(options, at) + QStringLiteral(">> ") + command;
}

QStringList TerminalCommands(const QString &field_text) {
  QString text = field_text;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList commands;
  for (const QString &line : text.split(QLatin1Char('\n'))) {
    if (!line.isEmpty()) commands << line;
  }
  if (commands.isEmpty()) commands << QString();
  return commands;
}
