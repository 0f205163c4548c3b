#include "cli/cli_port_options.h"

#include <cstdlib>
#include <cstring>

namespace {

bool ParseNumber(const char *text, double *value) {
  char *end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

bool ParseParity(const std::string &text, int *parity) {
  static const char *const kNames[] = {"none", "odd", "even", "mark", "space"};
  for (int i = 0; i < 5; ++i) {
    if (text == kNames[i] || text == std::to_string(i)) {
      *parity = i;
      return true;
    }
  }
  return false;
}

bool ParseStopBits(const std::string &text, int *code) {
  if (text == "1") *code = 0;
  else if (text == "1.5") *code = 1;
  else if (text == "2") *code = 2;
  else return false;
  return true;
}

}  // namespace

const char *CliPortOptionsHelp() {
  return "  -p, --port PATH     serial device (for example /dev/ttyUSB0 or a dtu-sim path)\n"
         "  --baud N            baud rate (default 115200)\n"
         "  --databits N        5, 6, 7 or 8 (default 8)\n"
         "  --parity P          none, odd, even, mark or space (default none)\n"
         "  --stopbits S        1, 1.5 or 2 (default 1)\n"
         "  --timeout S         seconds to wait for answers\n";
}

bool ParseCliPortOptions(int argc, char **argv, CliPortOptions *options, std::string *error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      for (++i; i < argc; ++i) options->operands.push_back(argv[i]);
      break;
    }
    if (arg.size() < 2 || arg[0] != '-' || arg == "-") {
      options->operands.push_back(arg);
      continue;
    }
    if (i + 1 >= argc) {
      *error = "option " + arg + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    double number = 0;
    if (arg == "-p" || arg == "--port") {
      options->serial.port = value;
    } else if (arg == "--baud" && ParseNumber(value.c_str(), &number) && number > 0 && number <= 4000000 &&
               number == static_cast<int>(number)) {
      options->serial.baud = static_cast<int>(number);
    } else if (arg == "--databits" && (value == "5" || value == "6" || value == "7" || value == "8")) {
      options->serial.databits = std::atoi(value.c_str());
    } else if (arg == "--parity" && ParseParity(value, &options->serial.parity)) {
    } else if (arg == "--stopbits" && ParseStopBits(value, &options->serial.stopbits)) {
    } else if (arg == "--timeout" && ParseNumber(value.c_str(), &number) && number > 0 && number < 86400) {
      options->timeout_s = number;
    } else {
      *error = "bad option or value: " + arg + " " + value;
      return false;
    }
  }
  if (options->serial.port.empty()) {
    *error = "no port given (-p PORT)";
    return false;
  }
  return true;
}
