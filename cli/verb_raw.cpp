// varnokctl raw -p PORT [line options] [--timeout S] TEXT
// Writes TEXT + CR LF straight to the port (not escaped, not queued) and
// prints what comes back within the time-out, one cleaned chunk per line.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <string>

#include "cli/cli_port_options.h"
#include "cli/cli_port_session.h"
#include "cli/verb_registry.h"
#include "link/serial_port_base.h"

namespace {

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

  int chunks = 0;
  QObject::connect(&session.Dispatcher(), &DtuMainThreadDispatcher::ChunkProcessed, [&chunks](const QByteArray &chunk) {
    ++chunks;
    if (chunk.isEmpty()) {  // cleaning leaves nothing of a bare acknowledgement
      std::printf("OK\n");
      std::fflush(stdout);
      return;
    }
    std::fwrite(chunk.constData(), 1, static_cast<size_t>(chunk.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  });
  QObject::connect(&session, &CliPortSession::PortLost, QCoreApplication::instance(), &QCoreApplication::quit);
  if (session.Port().SendRaw(options.operands[0]) < 0) {
    std::fprintf(stderr, "varnokctl raw: write failed: %s\n", session.Port().Driver().GetLastErrorText());
    return kExitPortLost;
  }
  const double timeout_s = options.timeout_s > 0 ? options.timeout_s : 1.0;
  QTimer::singleShot(static_cast<int>(timeout_s * 1000), QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  if (session.Lost()) return kExitPortLost;
  return chunks > 0 ? kExitOk : kExitNoAnswer;
}

VarnokVerbRegistrar raw_verb("raw", "write one line unqueued and print what comes back", RunRaw);

}  // namespace
