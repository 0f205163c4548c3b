// varnokctl send -p PORT [line options] [--timeout S] LINE...
// Queues each LINE (CR LF appended) through DtuCmdPort::DtuCmdRingbufSend, so
// escaping, pacing and answer cleaning are the program's own, and prints every
// cleaned answer on its own line.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

#include "base/dtu_printable.h"
#include "cli/cli_port_options.h"
#include "cli/cli_port_session.h"
#include "cli/verb_registry.h"
#include "link/dtu_cmd_outcome.h"
#include "link/dtu_cmd_protocol.h"
#include "link/dtu_cmd_sender.h"
#include "pages/kit/dtu_cmd_sequence.h"
#include "provision/varnokctl_outcome.h"

namespace {

void PrintSendHelp() {
  std::printf("usage: varnokctl send -p PORT [options] LINE...\n%s", CliPortOptionsHelp());
  std::printf("  (default timeout: 6 s per line)\n");
}

// One step per line: any answer ends it (an error answer too: it is printed
// like the others); a line still without one when the sender stops waiting
// for it is passed over and counted.
std::vector<DtuCmdStep> SendSteps(const std::vector<std::string> &lines) {
  std::vector<DtuCmdStep> steps;
  for (const std::string &line : lines) {
    DtuCmdStep step;
    step.line = line + "\r\n";
    step.end = DtuStepEnd::kAnyAnswer;
    step.timeout_ms = DtuCmdSender::kBusyWaitLimitMs + 200;
    step.timeout_fails = false;
    step.error_fails = false;
    steps.push_back(step);
  }
  return steps;
}

// Runs the sequence until it ends, the overall time-out passes or the port
// goes; returns the exit code.
int RunSteps(CliPortSession &session, const std::vector<std::string> &lines, double timeout_s) {
  const int total = static_cast<int>(lines.size());
  DtuCmdSequence sequence;
  bool finished = false;
  DtuCmdOutcome outcome = DtuCmdOutcome::kAnswered;  // of the send as a whole
  int unanswered = 0;
  auto finish = [&](DtuCmdOutcome how, int missing) {
    if (finished) return;
    finished = true;
    outcome = how;
    unanswered = missing;
    // Queued behind the chunks already posted, so every answer is printed first.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
  };
  QObject::connect(&sequence, &DtuCmdSequence::Done, [&] {
    const int missed = sequence.StepsTimedOut();
    finish(missed > 0 ? DtuCmdOutcome::kNoAnswer : DtuCmdOutcome::kAnswered, missed);
  });
  QTimer lost_fallback;
  lost_fallback.setSingleShot(true);
  QObject::connect(&sequence, &DtuCmdSequence::Failed,
                   [&](int step, DtuSequenceFailure reason, const QByteArray &) {
                     // A line dropped by the closing port is heard before the
                     // port's own report, which says why it closed.
                     if (reason == DtuSequenceFailure::kPortClosed && !session.Lost()) {
                       QObject::connect(&lost_fallback, &QTimer::timeout,
                                        [&] { finish(DtuCmdOutcome::kPortClosed, 0); });
                       lost_fallback.start(1000);
                       return;
                     }
                     finish(session.Lost() ? DtuCmdOutcome::kPortClosed : DtuCmdOutcome::kNoAnswer,
                            sequence.StepsTimedOut() + total - step);
                   });
  QObject::connect(&session, &CliPortSession::PortLost, &sequence, &DtuCmdSequence::Cancel);
  QObject::connect(&session, &CliPortSession::PortLost, [&] {
    if (!sequence.Running()) finish(DtuCmdOutcome::kPortClosed, 0);
  });
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &sequence, &DtuCmdSequence::Cancel);
  deadline.start(static_cast<int>(timeout_s * 1000));
  sequence.Start(SendSteps(lines));
  if (!finished) QCoreApplication::exec();
  if (!finished) return -1;  // the loop ends only through finish(): never a false success
  const VarnokOutcome result = VarnokCmdOutcome(outcome);
  if (result.announce) std::fprintf(stderr, "varnokctl: %d of %d lines got %s\n", unanswered, total, result.text);
  return result.exit_code;
}

// A line the command slot would cut cannot be what a script means: refused
// before anything is sent.
bool LinesFitTheirSlots(const std::vector<std::string> &lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string line = lines[i] + "\r\n";
    if (DtuCmdLineFitsSlot(line.data(), static_cast<int>(line.size()))) continue;
    std::fprintf(stderr,
                 "varnokctl send: line %zu is too long for one command (%zu bytes; the device would get it cut "
                 "at %d bytes once escaped); nothing sent\n",
                 i + 1, lines[i].size(), kDtuEscapeStopLength);
    return false;
  }
  return true;
}

void PrintAnswer(const QByteArray &chunk) {
  if (chunk.isEmpty()) return;  // a bare OK: nothing to show
  const std::string shown = DtuEscapeControl(chunk.toStdString(), true);
  std::fwrite(shown.data(), 1, shown.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int RunSend(int argc, char **argv) {
  if (argc >= 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    PrintSendHelp();
    return kExitOk;
  }
  CliPortOptions options;
  std::string error;
  if (!ParseCliPortOptions(argc, argv, &options, &error) || options.operands.empty()) {
    std::fprintf(stderr, "varnokctl send: %s\n", error.empty() ? "no LINE given" : error.c_str());
    return kExitUsage;
  }
  if (!LinesFitTheirSlots(options.operands)) return kExitUsage;
  CliPortSession session;
  const int opened = session.Open(options.serial);
  if (opened != kExitOk) return opened;

  QObject::connect(&session.Dispatcher(), &DtuMainThreadDispatcher::ChunkProcessed, PrintAnswer);
  const double timeout_s = options.timeout_s > 0 ? options.timeout_s : 6.0 * static_cast<double>(options.operands.size());
  return RunSteps(session, options.operands, timeout_s);
}

VarnokVerbRegistrar send_verb("send", "queue command lines and print the device's answers", RunSend);

}  // namespace
