// How the simulated device treats one received line before its store sees
// it: the faults and the personality of DtuSimOptions decide whether the line
// is answered at all, refused, answered with a value of the options' own, or
// applied and acknowledged in the device's style.
#pragma once

#include <string>

#include "sim/dtu_sim_line.h"
#include "sim/dtu_sim_options.h"

struct DtuSimTreatment {
  enum Kind {
    kSilent,        // no answer; not applied
    kRefuse,        // ERROR; not applied
    kCanned,        // a get answered with `value` instead of the stored value
    kApply,         // applied; a set the store took is acknowledged by a bare OK when `bare_ok`,
                    // or echoed with `value` instead of what it stored when `echo_value`
    kApplyAckOnly,  // applied; answered with a bare OK whatever the store said
  } kind = kApply;
  std::string value;
  bool bare_ok = false;
  bool echo_value = false;
};

// `line_number` counts every line received since the start, from 1;
// `sets_taken` the set lines the store took since the start (the mixed style
// alternates on it).
DtuSimTreatment DtuSimTreat(const DtuSimCommand &command, int line_number, int sets_taken,
                            const DtuSimOptions &options);
