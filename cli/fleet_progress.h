// The live line of a fleet apply on a terminal: done, failed, in flight,
// devices per minute and the time left, rewritten in place on standard
// error (nothing when standard error is not a terminal).
#pragma once

#include <QElapsedTimer>

class FleetProgressLine {
 public:
  FleetProgressLine();
  ~FleetProgressLine();
  void Show(int done, int failed, int in_flight, int total);
  void Clear();

 private:
  bool enabled_;
  bool shown_ = false;
  QElapsedTimer clock_;
};
