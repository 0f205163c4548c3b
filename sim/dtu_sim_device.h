// The simulated DTU without its wire: its settings store and how it answers
// one received line, faults and personality applied (sim/dtu_sim_options.h).
// dtu-sim puts it behind a pseudo-terminal (sim/dtu_sim.h); the platform
// simulator's fleet puts many of them straight behind MQTT topics.
#pragma once

#include <string>

#include "sim/dtu_sim_options.h"
#include "sim/dtu_sim_store.h"

class DtuSimDevice {
 public:
  DtuSimDevice() = default;
  DtuSimDevice(const DtuSimDevice &) = delete;
  DtuSimDevice &operator=(const DtuSimDevice &) = delete;

  // Loads the options' state file, when there is one. False with `error`
  // when it holds no valid JSON.
  bool LoadState(const DtuSimOptions &options, std::string *error);

  // The answer to the `line_number`th line received (from 1), "" for none.
  // Not safe to call from two threads at once (one wire, one caller).
  std::string Answer(const std::string &line, int line_number, const DtuSimOptions &options);
  // What the device answers to one line, without faults or pacing.
  std::string AnswerFor(const std::string &line, const DtuSimOptions &options);

  DtuSimStore &Store() { return store_; }

 private:
  void SaveState(const DtuSimOptions &options);

  DtuSimStore store_;
  int sets_taken_ = 0;  // set lines the store took since the start
};
