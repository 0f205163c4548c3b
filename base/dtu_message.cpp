#include "base/dtu_message.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex &SinkMutex() {
  static std::mutex m;
  return m;
}

DtuKindMessageSink &Sink() {
  static DtuKindMessageSink sink;
  return sink;
}

}  // namespace

void DtuMessageBox(const std::string &text, DtuMessageKind kind) {
  DtuKindMessageSink sink;
  {
    std::lock_guard<std::mutex> lock(SinkMutex());
    sink = Sink();
  }
  if (sink) {
    sink(text, kind);
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}

DtuKindMessageSink DtuSetKindMessageSink(DtuKindMessageSink sink) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  DtuKindMessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

DtuMessageSink DtuSetMessageSink(DtuMessageSink sink) {
  DtuKindMessageSink kinded;
  if (sink) kinded = [sink](const std::string &text, DtuMessageKind) { sink(text); };
  DtuKindMessageSink previous = DtuSetKindMessageSink(std::move(kinded));
  if (!previous) return nullptr;
  return [previous](const std::string &text) { previous(text, DtuMessageKind::kInformation); };
}
