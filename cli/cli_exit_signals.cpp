#include "cli/cli_exit_signals.h"

#include <csignal>
#include <initializer_list>

#include "link/serial_exit_release.h"

namespace {

void ReleasePortsAndEnd(int signal_number) {
  DtuSerialReleaseAllForExit();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

void CliInstallExitSignals() {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    action.sa_handler = ReleasePortsAndEnd;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
  }
  std::signal(SIGPIPE, SIG_IGN);
}
