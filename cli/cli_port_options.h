// Options every port verb shares: -p PORT, --baud, --databits, --parity,
// --stopbits, --timeout.
#pragma once

#include <string>
#include <vector>

#include "link/dtu_cmd_port.h"

struct CliPortOptions {
  DtuSerialSettings serial;
  double timeout_s = -1;             // < 0: the verb's default
  std::vector<std::string> operands; // what is left (lines, text)
};

// Parses argv[1..]; on failure returns false with a message in `error`.
bool ParseCliPortOptions(int argc, char **argv, CliPortOptions *options, std::string *error);

// The help text of the shared options.
const char *CliPortOptionsHelp();
