// varnokctl send -p PORT [line options] [--timeout S] LINE...
// Queues each LINE (CR LF appended) through DtuCmdPort::DtuCmdRingbufSend, so
// escaping, pacing and answer cleaning are the program's own, and prints every
// cleaned answer on its own line.
#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>

#include "base/dtu_printable.h"
#include "cli/cli_port_options.h"
#include "cli/cli_port_session.h"
#include "cli/verb_registry.h"
#include "link/dtu_cmd_protocol.h"
#include "link/dtu_cmd_ring.h"
#include "link/dtu_cmd_sender.h"

namespace {

using Clock = std::chrono::steady_clock;

void PrintSendHelp() {
  std::printf("usage: varnokctl send -p PORT [options] LINE...\n%s", CliPortOptionsHelp());
  std::printf("  (default timeout: 6 s per line)\n");
}

struct SendRun {
  const std::vector<std::string> &lines;
  CliPortSession &session;
  Clock::time_point deadline;
  size_t queued = 0;
  Clock::time_point all_written_at{};
  int exit_code = -1;

  // Queues what the ring can take now; returns false when a line is refused
  // for another reason than a full ring.
  void QueueMore() {
    while (queued < lines.size() && DtuCmdRingInstance().Waiting() < kDtuCmdSlotCount - 1) {
      const std::string line = lines[queued] + "\r\n";
      if (DtuCmdPort::DtuCmdRingbufSend(line.data(), static_cast<int>(line.size())) != 0) break;
      ++queued;
    }
  }

  // Decides whether the run is over; sets exit_code when it is.
  bool Finished() {
    DtuCmdPort &port = session.Port();
    const int total = static_cast<int>(lines.size());
    if (session.Lost()) exit_code = kExitPortLost;
    else if (port.CommandsAnswered() >= total) exit_code = kExitOk;
    else if (Clock::now() >= deadline || SenderGaveUpOnTheLast(port)) exit_code = kExitNoAnswer;
    if (exit_code == kExitNoAnswer) {
      std::fprintf(stderr, "varnokctl: %d of %d lines got no answer\n", total - port.CommandsAnswered(), total);
    }
    return exit_code >= 0;
  }

  // The last line was written and the sender's wait for it ran out.
  bool SenderGaveUpOnTheLast(DtuCmdPort &port) {
    if (queued < lines.size() || port.CommandsWritten() < static_cast<int>(lines.size())) return false;
    if (all_written_at == Clock::time_point{}) all_written_at = Clock::now();
    return Clock::now() - all_written_at > std::chrono::milliseconds(DtuCmdSender::kBusyWaitLimitMs + 200);
  }
};

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
  SendRun run{options.operands, session,
              Clock::now() + std::chrono::milliseconds(static_cast<long long>(timeout_s * 1000)), 0, {}, -1};
  run.QueueMore();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&run, &poll] {
    run.QueueMore();
    if (run.Finished()) {
      poll.stop();
      // Queued behind the chunks already posted, so every answer is printed first.
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    }
  });
  poll.start(5);
  QCoreApplication::exec();
  return run.exit_code;
}

VarnokVerbRegistrar send_verb("send", "queue command lines and print the device's answers", RunSend);

}  // namespace
