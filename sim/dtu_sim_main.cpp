// dtu-sim: a simulated DTU on a pseudo-terminal. Prints the slave path on its
// first line, then answers until interrupted (or until it unplugs itself).
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/dtu_sim.h"
#include "sim/dtu_sim_store.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

void Usage(FILE *out) {
  std::fprintf(out,
               "usage: dtu-sim [--link PATH] [--state FILE] [--baud N] [--latency MS]\n"
               "               [--silent-every N] [--error-key KEY]... [--split-gap MS]\n"
               "               [--ack-only KEY...] [--unplug-after N]\n"
               "               [--ack-style echo|ok|mixed] [--empty KEY|all]... [--bad-value KEY=TEXT]...\n"
               "               [--lose-line N] [--refuse-line N]\n"
               "  --ack-style     set lines answered by the key line (echo), a bare OK (ok),\n"
               "                  or alternately (mixed)\n"
               "  --empty         gets of KEY (or of every key) answered with an empty value\n"
               "  --bad-value     gets of KEY answered with TEXT as the value, and set lines\n"
               "                  of KEY echoed with it (the sent value is still stored)\n"
               "  --lose-line     the Nth line received (from 1) gets no answer, is not applied\n"
               "  --refuse-line   the Nth line received is answered ERROR, is not applied\n");
}

bool ParseInt(const char *text, int *value) {
  char *end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < 0 || v > 100000000) return false;
  *value = static_cast<int>(v);
  return true;
}

// Options that take a text; false with `error` when the text is not one
// they accept.
bool TakeTextOption(const std::string &arg, const std::string &value, DtuSimOptions *options, std::string *error) {
  if (arg == "--link") options->link_path = value;
  else if (arg == "--state") options->state_file = value;
  else if (arg == "--error-key") options->error_keys.insert(DtuSimLower(value));
  else if (arg == "--empty") options->empty_keys.insert(DtuSimLower(value));
  else if (arg == "--ack-style") {
    if (value == "echo") options->ack_style = DtuSimAckStyle::kEcho;
    else if (value == "ok") options->ack_style = DtuSimAckStyle::kOk;
    else if (value == "mixed") options->ack_style = DtuSimAckStyle::kMixed;
    else return *error = "--ack-style takes echo, ok or mixed", false;
  } else {  // --bad-value
    const size_t eq = value.find('=');
    if (eq == std::string::npos || eq == 0) return *error = "--bad-value takes KEY=TEXT", false;
    options->bad_values[DtuSimLower(value.substr(0, eq))] = value.substr(eq + 1);
  }
  return true;
}

bool IsTextOption(const std::string &arg) {
  for (const char *name : {"--link", "--state", "--error-key", "--empty", "--ack-style", "--bad-value"}) {
    if (arg == name) return true;
  }
  return false;
}

// Returns 0 when parsed, else the exit code.
int ParseOptions(int argc, char **argv, DtuSimOptions *options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> const char * { return i + 1 < argc ? argv[++i] : nullptr; };
    int *number = nullptr;
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return -1;
    } else if (arg == "--latency") number = &options->latency_ms;
    else if (arg == "--silent-every") number = &options->silent_every;
    else if (arg == "--split-gap") number = &options->split_gap_ms;
    else if (arg == "--unplug-after") number = &options->unplug_after;
    else if (arg == "--baud") number = &options->baud;
    else if (arg == "--lose-line") number = &options->lose_line;
    else if (arg == "--refuse-line") number = &options->refuse_line;
    if (number != nullptr) {
      const char *value = next();
      if (value == nullptr || !ParseInt(value, number)) {
        std::fprintf(stderr, "dtu-sim: %s needs a number\n", arg.c_str());
        return 2;
      }
      continue;
    }
    if (IsTextOption(arg)) {
      const char *value = next();
      std::string error = arg + " needs a value";
      if (value == nullptr || !TakeTextOption(arg, value, options, &error)) {
        std::fprintf(stderr, "dtu-sim: %s\n", error.c_str());
        return 2;
      }
    } else if (arg == "--ack-only") {
      while (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) options->ack_only_keys.insert(DtuSimLower(argv[++i]));
    } else {
      std::fprintf(stderr, "dtu-sim: unknown option %s\n", arg.c_str());
      Usage(stderr);
      return 2;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  DtuSimOptions options;
  int parsed = ParseOptions(argc, argv, &options);
  if (parsed != 0) return parsed < 0 ? 0 : parsed;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  DtuSim sim(options);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "dtu-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", sim.SlavePath().c_str());
  std::fflush(stdout);
  while (!g_stop && !sim.Unplugged()) usleep(20000);
  sim.Stop();
  return 0;
}
