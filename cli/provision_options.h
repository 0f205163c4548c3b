// Arguments of `varnokctl apply`, `varnokctl backup` and `varnokctl diff`:
//
//   varnokctl backup -p PORT FILE [--pages LIST] [line options]
//   varnokctl diff   -p PORT FILE [--pages LIST] [--json] [line options]
//   varnokctl apply  -p PORT [-p PORT...] FILE [--pages LIST] [--parallel]
//                    [--no-verify] [--json] [line options]
//
// The line options (--baud, --databits, --parity, --stopbits, --timeout)
// are those of every port verb; --timeout counts per step of a page.
#pragma once

#include <string>
#include <vector>

#include "link/dtu_cmd_port.h"

struct ProvisionOptions {
  std::string verb;                // "apply", "backup" or "diff"
  std::vector<std::string> ports;  // in the order given
  std::string file;
  std::vector<std::string> pages;  // tree order
  DtuSerialSettings serial;        // line settings; `port` is set per device
  int timeout_ms = 20000;
  bool parallel = false;
  bool verify = true;
  bool json = false;
  // Internal: this process works for a parent `apply --parallel` on one
  // port; it reports progress and its JSON report in a form the parent reads.
  bool worker = false;
  std::vector<std::string> line_arguments;  // as given, for the workers
  // Not an argument: diff's scratch copy of the file, made by the command.
  std::string scratch;
};

// False with a message in `error` for a usage error.
bool ParseProvisionOptions(const std::string &verb, int argc, char **argv, ProvisionOptions &options,
                           std::string &error);

// The arguments that run one port of `options` as a worker process.
std::vector<std::string> ProvisionWorkerArguments(const ProvisionOptions &options, const std::string &port);

std::string ProvisionHelp(const std::string &verb);
