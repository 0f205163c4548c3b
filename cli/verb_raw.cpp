// varnokctl raw -p PORT [line options] [--timeout S] TEXT
// Writes TEXT + CR LF straight to the port (not escaped, not queued) and
// prints what comes back within the time-out, one received burst per line,
// as it came (trimmed, control characters escaped). Nothing that came back,
// or only blanks, is exit 3.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <string>

#include "base/dtu_printable.h"
#include "cli/cli_port_options.h"
#include "cli/cli_port_session.h"
#include "cli/verb_registry.h"
#include "link/dtu_cmd_outcome.h"
#include "link/serial_port_base.h"
#include "provision/varnokctl_outcome.h"

namespace {

std::string Trimmed(const std::string &bytes) {
  const char *blanks = " \t\r\n";
  const size_t begin = bytes.find_first_not_of(blanks);
  if (begin == std::string::npos) return std::string();
  return bytes.substr(begin, bytes.find_last_not_of(blanks) - begin + 1);
}

int RunRaw(int argc, char **argv) {
  if (argc >= 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::printf("usage: varnokctl raw -p PORT [options] TEXT\n%s  (default timeout: 1 s)\n", CliPortOptionsHelp());
    return kExitOk;
  }
  CliPortOptions options;
  std::string error;
  if (!ParseCliPortOptions(argc, argv, &options, &error) || options.operands.size() != 1) {
    std::fprintf(stderr, "varnokctl raw: %s\n", error.empty() ? "give exactly one TEXT" : error.c_str());
    return kExitUsage;
  }
  CliPortSession session;
  const int opened = session.Open(options.serial);
  if (opened != kExitOk) return opened;

  int printed = 0;
  QCoreApplication *app = QCoreApplication::instance();
  // The tap runs on the reader thread; printing happens on this one.
  session.Port().SetRawChunkTap([app, &printed](const std::string &bytes) {
    const std::string text = Trimmed(bytes);
    if (text.empty()) return;
    QMetaObject::invokeMethod(app, [text, &printed] {
      const std::string shown = DtuEscapeControl(text, true);
      std::fwrite(shown.data(), 1, shown.size(), stdout);
      std::fputc('\n', stdout);
      std::fflush(stdout);
      ++printed;
    }, Qt::QueuedConnection);
  });
  QObject::connect(&session, &CliPortSession::PortLost, app, &QCoreApplication::quit);
  if (session.Port().SendRaw(options.operands[0]) < 0) {
    std::fprintf(stderr, "varnokctl raw: write failed: %s\n", session.Port().Driver().GetLastErrorText());
    return VarnokCmdOutcome(DtuCmdOutcome::kPortClosed).exit_code;
  }
  const double timeout_s = options.timeout_s > 0 ? options.timeout_s : 1.0;
  QTimer::singleShot(static_cast<int>(timeout_s * 1000), app, &QCoreApplication::quit);
  QCoreApplication::exec();
  session.Port().Close();  // the tap goes quiet before `printed` goes
  session.Port().SetRawChunkTap(nullptr);
  QCoreApplication::processEvents();  // bursts posted before the close are printed
  DtuCmdOutcome outcome = DtuCmdOutcome::kAnswered;
  if (session.Lost()) outcome = DtuCmdOutcome::kPortClosed;
  else if (printed == 0) outcome = DtuCmdOutcome::kNoAnswer;
  // Raw has no lines to count: it says its own words for the silence.
  if (outcome == DtuCmdOutcome::kNoAnswer) std::fprintf(stderr, "varnokctl raw: nothing came back\n");
  return VarnokCmdOutcome(outcome).exit_code;
}

VarnokVerbRegistrar raw_verb("raw", "write one line unqueued and print what comes back", RunRaw);

}  // namespace
