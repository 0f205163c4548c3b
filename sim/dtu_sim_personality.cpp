#include "sim/dtu_sim_personality.h"

#include "sim/dtu_sim_store.h"

namespace {

DtuSimTreatment Kind(DtuSimTreatment::Kind kind) {
  DtuSimTreatment treatment;
  treatment.kind = kind;
  return treatment;
}

bool Silenced(int line_number, const DtuSimOptions &options) {
  if (options.lose_line > 0 && line_number == options.lose_line) return true;
  return options.silent_every > 0 && line_number % options.silent_every == 0;
}

bool Refused(int line_number, const std::string &lower_key, const DtuSimOptions &options) {
  if (options.refuse_line > 0 && line_number == options.refuse_line) return true;
  return options.error_keys.count(lower_key) > 0;
}

// The value a get is answered with instead of the stored one, if any.
bool CannedValue(const std::string &lower_key, const DtuSimOptions &options, std::string *value) {
  auto bad = options.bad_values.find(lower_key);
  if (bad != options.bad_values.end()) {
    *value = bad->second;
    return true;
  }
  value->clear();
  return options.empty_keys.count(lower_key) > 0 || options.empty_keys.count("all") > 0;
}

bool BareOk(DtuSimAckStyle style, int sets_taken) {
  switch (style) {
    case DtuSimAckStyle::kEcho: return false;
    case DtuSimAckStyle::kOk: return true;
    case DtuSimAckStyle::kMixed: return sets_taken % 2 == 1;
  }
  return false;
}

}  // namespace

DtuSimTreatment DtuSimTreat(const DtuSimCommand &command, int line_number, int sets_taken,
                            const DtuSimOptions &options) {
  const std::string lower_key = DtuSimLower(command.key);
  if (Silenced(line_number, options)) return Kind(DtuSimTreatment::kSilent);
  if (Refused(line_number, lower_key, options)) return Kind(DtuSimTreatment::kRefuse);
  DtuSimTreatment treatment;
  if (command.kind == DtuSimCommand::kGet && CannedValue(lower_key, options, &treatment.value)) {
    treatment.kind = DtuSimTreatment::kCanned;
    return treatment;
  }
  if (command.kind != DtuSimCommand::kSet) return treatment;
  if (options.ack_only_keys.count(lower_key) > 0) return Kind(DtuSimTreatment::kApplyAckOnly);
  treatment.bare_ok = BareOk(options.ack_style, sets_taken);
  // A device that keeps what it was sent but echoes another value.
  auto bad = options.bad_values.find(lower_key);
  if (bad != options.bad_values.end()) {
    treatment.value = bad->second;
    treatment.echo_value = true;
  }
  return treatment;
}
