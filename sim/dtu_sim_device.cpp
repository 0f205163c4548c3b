#include "sim/dtu_sim_device.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/dtu_sim_line.h"
#include "sim/dtu_sim_personality.h"

bool DtuSimDevice::LoadState(const DtuSimOptions &options, std::string *error) {
  if (options.state_file.empty()) return true;
  std::ifstream in(options.state_file, std::ios::binary);
  if (!in) return true;  // made at the first change
  std::stringstream text;
  text << in.rdbuf();
  const std::string json = text.str();
  if (json.empty() || store_.FromJson(json)) return true;
  if (error) *error = "state file is not valid JSON: " + options.state_file;
  return false;
}

std::string DtuSimDevice::Answer(const std::string &line, int line_number, const DtuSimOptions &options) {
  const DtuSimCommand command = DtuSimParseLine(line);
  const DtuSimTreatment treatment = DtuSimTreat(command, line_number, sets_taken_, options);
  switch (treatment.kind) {
    case DtuSimTreatment::kSilent: return std::string();
    case DtuSimTreatment::kRefuse: return DtuSimErrorAnswer();
    case DtuSimTreatment::kCanned: return DtuSimKeyAnswer(command.key, treatment.value);
    case DtuSimTreatment::kApplyAckOnly:
      AnswerFor(line, options);  // the value is still stored
      return DtuSimOkAnswer();
    case DtuSimTreatment::kApply: break;
  }
  // A device that takes a set words its acknowledgement in its own style;
  // one that cannot take it says ERROR in any style.
  const std::string answer = AnswerFor(line, options);
  if (command.kind != DtuSimCommand::kSet || answer == DtuSimErrorAnswer()) return answer;
  ++sets_taken_;
  if (treatment.bare_ok) return DtuSimOkAnswer();
  return treatment.echo_value ? DtuSimKeyAnswer(command.key, treatment.value) : answer;
}

std::string DtuSimDevice::AnswerFor(const std::string &line, const DtuSimOptions &options) {
  const DtuSimCommand command = DtuSimParseLine(line);
  switch (command.kind) {
    case DtuSimCommand::kMalformed: return DtuSimErrorAnswer();
    case DtuSimCommand::kAt: return DtuSimOkAnswer();
    case DtuSimCommand::kGet: {
      auto value = store_.Get(command.key, command.argument);
      return value ? DtuSimKeyAnswer(command.key, *value) : DtuSimErrorAnswer();
    }
    case DtuSimCommand::kSet: break;
  }
  const std::string lower = DtuSimLower(command.key);
  if (lower == "reboot" || lower == "reload") {
    if (lower == "reload") {
      store_.Reset();
      SaveState(options);
    }
    return DtuSimOkAnswer();
  }
  if (!command.has_argument) return DtuSimErrorAnswer();
  auto stored = store_.Set(command.key, command.argument);
  if (!stored) return DtuSimErrorAnswer();
  SaveState(options);
  return DtuSimKeyAnswer(command.key, *stored);
}

void DtuSimDevice::SaveState(const DtuSimOptions &options) {
  const std::string &path = options.state_file;
  if (path.empty()) return;
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << store_.ToJson();
    if (!out) return;
  }
  std::rename(temp.c_str(), path.c_str());
}
