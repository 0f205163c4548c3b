#include "sim/dtu_sim_line.h"

namespace {

std::string WithoutLineEnd(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

}  // namespace

std::string DtuSimUnescape(const std::string &payload) {
  std::string out;
  out.reserve(payload.size());
  for (size_t i = 0; i < payload.size();) {
    if (payload.compare(i, 5, "[dec]") == 0) {
      out.push_back('|');
      i += 5;
    } else if (payload.compare(i, 7, "[comma]") == 0) {
      out.push_back(',');
      i += 7;
    } else {
      out.push_back(payload[i++]);
    }
  }
  return out;
}

DtuSimCommand DtuSimParseLine(const std::string &raw) {
  DtuSimCommand command;
  const std::string line = WithoutLineEnd(raw);
  if (line == "AT" || line == "at") {
    command.kind = DtuSimCommand::kAt;
    return command;
  }
  static const std::string kHead = "AT+ZEVCFG=";
  if (line.compare(0, kHead.size(), kHead) != 0) return command;
  const std::string op = line.substr(kHead.size(), 4);
  if (op != "get|" && op != "set|") return command;
  const size_t key_start = kHead.size() + 4;
  const size_t bar = line.find('|', key_start);
  command.key = line.substr(key_start, bar == std::string::npos ? std::string::npos : bar - key_start);
  if (command.key.empty()) return command;
  if (bar != std::string::npos) {
    command.has_argument = true;
    command.argument = line.substr(bar + 1);
  }
  if (op == "get|") {
    command.kind = DtuSimCommand::kGet;
  } else {
    command.kind = DtuSimCommand::kSet;
    command.argument = DtuSimUnescape(command.argument);
  }
  return command;
}

std::string DtuSimKeyAnswer(const std::string &key, const std::string &value) {
  return "\r\n" + key + " : " + value + "\r\n\r\nOK\r\n";
}

std::string DtuSimOkAnswer() { return "\r\nOK\r\n"; }

std::string DtuSimErrorAnswer() { return "\r\nERROR\r\n"; }
