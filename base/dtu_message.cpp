#include "base/dtu_message.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex &SinkMutex() {
  static std::mutex m;
  return m;
}

DtuMessageSink &Sink() {
  static DtuMessageSink sink;
  return sink;
}

}  // namespace

void DtuMessageBox(const std::string &text) {
  DtuMessageSink sink;
  {
    std::lock_guard<std::mutex> lock(SinkMutex());
    sink = Sink();
  }
  if (sink) {
    sink(text);
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}

DtuMessageSink DtuSetMessageSink(DtuMessageSink sink) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  DtuMessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}
