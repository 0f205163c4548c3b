#include "cli/provision_stop.h"

#include <csignal>
#include <cstring>

namespace {

volatile std::sig_atomic_t g_stop_signal = 0;
volatile std::sig_atomic_t g_stop_count = 0;
volatile std::sig_atomic_t g_second_ends = 1;

void MaskStopSignals(int how) {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  sigprocmask(how, &stops, nullptr);
}

void SetHandler(int signal_number, void (*handler)(int)) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
}

void OnStopSignal(int signal_number) {
  g_stop_signal = signal_number;
  g_stop_count = g_stop_count + 1;
  if (g_second_ends) SetHandler(signal_number, SIG_DFL);
}

}  // namespace

void ProvisionInstallStopHandler(bool second_ends) {
  g_second_ends = second_ends ? 1 : 0;
  SetHandler(SIGINT, OnStopSignal);
  SetHandler(SIGTERM, OnStopSignal);
  MaskStopSignals(SIG_UNBLOCK);
}

void ProvisionHoldStopSignals() { MaskStopSignals(SIG_BLOCK); }

bool ProvisionStopRequested() { return g_stop_count > 0; }

int ProvisionStopCount() { return g_stop_count; }

int ProvisionStopSignal() { return g_stop_signal; }
