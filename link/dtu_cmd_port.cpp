// The command port: open and close sequence, the sender thread and the
// listener between the serial driver and the answer dispatcher.
#include "link/dtu_cmd_port.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_answer_match.h"
#include "link/dtu_cmd_protocol.h"
#include "link/dtu_cmd_resp_table.h"
#include "link/dtu_cmd_ring.h"
#include "link/dtu_cmd_sender.h"
#include "link/dtu_cmd_transport.h"
#include "link/serial_error.h"
#include "link/serial_line_timing.h"
#include "link/serial_port_posix.h"

namespace {

std::atomic<DtuCmdPort *> g_open_instance{nullptr};

}  // namespace

// Reads each notified burst, cleans it (unless the remote bridge is on),
// hands it to the dispatcher and tells the sender, which judges whether it
// answers the command in flight. A burst that stops inside a line while a
// command waits for its answer is held and joined with what follows, so a
// pause in the middle of an answer never cuts its value; it goes out as it
// is once the command gave up waiting.
class SerialPortListenerImpl : public CSerialPortListener {
 public:
  SerialPortListenerImpl(DtuCmdPort *owner, CSerialPortBase *driver, DtuCmdSender *sender,
                         std::function<void(const std::string &)> dispatch,
                         std::function<void(const std::string &)> tap)
      : owner_(owner), driver_(driver), sender_(sender), dispatch_(std::move(dispatch)), tap_(std::move(tap)) {}

  void OnSerialData(const char *, unsigned int bytes_waiting) override {
    if (DtuCmdPort::OpenInstance() != owner_ || bytes_waiting == 0) return;
    std::vector<char> buffer(bytes_waiting + 1, '\0');
    const int count = driver_->Read(buffer.data(), static_cast<int>(bytes_waiting));
    if (count <= 0) return;
    const std::string bytes(buffer.data(), static_cast<size_t>(count));
    tap_(bytes);
    if (DtuCmdRemoteMode()) {
      dispatch_(bytes);
      sender_->OnRawBurst();
      return;
    }
    std::string burst;
    {
      std::lock_guard<std::mutex> lock(held_mutex_);
      burst = held_ + bytes;
      held_.clear();
      if (ShouldHold(burst)) {
        held_ = burst;
        return;
      }
    }
    Deliver(burst);
  }

  // The command gave up waiting: what was held goes out as it came.
  void FlushHeld() {
    std::string burst;
    {
      std::lock_guard<std::mutex> lock(held_mutex_);
      burst.swap(held_);
    }
    if (!burst.empty()) Deliver(burst);
  }

 private:
  static constexpr size_t kHoldLimit = 16384;

  bool ShouldHold(const std::string &burst) const {
    if (burst.back() == '\n' || burst.size() >= kHoldLimit) return false;
    const std::string key = sender_->InFlightKey();
    return !key.empty() && DtuCmdAnswerOutcome(burst.data(), static_cast<int>(burst.size())) !=
                               DtuCmdOutcome::kDeviceError;
  }

  void Deliver(const std::string &burst) {
    std::vector<char> cleaned(burst.size() + 1, '\0');
    const int length = DtuCmdCleanAnswer(burst.data(), static_cast<int>(burst.size()), cleaned.data());
    const std::string answer(cleaned.data(), static_cast<size_t>(length));
    dispatch_(answer);
    // After the chunk went on its way: the outcome follows its answer.
    sender_->OnBurst(answer, burst.back() == '\n', DtuCmdBurstEndsWithOk(burst));
  }

  DtuCmdPort *owner_;
  CSerialPortBase *driver_;
  DtuCmdSender *sender_;
  std::function<void(const std::string &)> dispatch_;
  std::function<void(const std::string &)> tap_;
  std::mutex held_mutex_;
  std::string held_;
};

struct DtuCmdPort::Impl {
  CSerialPortPosix serial;
  // The driver in use: the serial driver, or the transport the port name's
  // scheme asks for (link/dtu_cmd_transport.h). Changed only by an open
  // while the port is closed; a transport put aside stays alive with the
  // port, so a caller that took the driver a moment before never holds a
  // dangling one.
  std::atomic<CSerialPortBase *> active{&serial};
  std::string active_scheme;  // "" for the serial driver
  std::vector<std::unique_ptr<CSerialPortBase>> transports;
  DtuCmdSender sender{&serial, [this](const DtuCmdReport &report) { Report(report); }};
  std::unique_ptr<SerialPortListenerImpl> listener;
  std::mutex state_mutex;  // open and close

  std::mutex handler_mutex;
  std::shared_ptr<const ChunkDispatcher> dispatcher;
  std::shared_ptr<const RawChunkTap> raw_tap;
  WrittenTap written_tap;  // handed to the sender at each open
  DtuPortOpenFailure open_failure = DtuPortOpenFailure::kNone;
  std::shared_ptr<const OutcomeDispatcher> outcome_dispatcher;
  std::function<void(const std::string &)> port_lost_handler;

  std::mutex closer_mutex;
  std::thread closer;  // closes the port after its device went away

  void Dispatch(const std::string &chunk) {
    std::shared_ptr<const ChunkDispatcher> current;
    {
      std::lock_guard<std::mutex> lock(handler_mutex);
      current = dispatcher;
    }
    if (current && *current) (*current)(chunk);
    else DtuCmdRecvProcess(chunk.c_str(), static_cast<int>(chunk.size()));
  }

  void Tap(const std::string &bytes) {
    std::shared_ptr<const RawChunkTap> current;
    {
      std::lock_guard<std::mutex> lock(handler_mutex);
      current = raw_tap;
    }
    if (current && *current) (*current)(bytes);
  }

  CSerialPortBase &Driver() const { return *active.load(std::memory_order_acquire); }

  DtuPortOpenFailure ClassifyOpenFailure() const {
    const bool serial_in_use = &Driver() == &serial;
    switch (Driver().GetLastErrorCode()) {
      case kSerialNotExist: return DtuPortOpenFailure::kNotExist;
      case kSerialAccessDenied:
        if (!serial_in_use) return DtuPortOpenFailure::kNoPermission;
        return serial.GetLastOpenErrno() == EBUSY ? DtuPortOpenFailure::kInUse : DtuPortOpenFailure::kNoPermission;
      default: return DtuPortOpenFailure::kOther;
    }
  }

  void Report(const DtuCmdReport &report) {
    if (report.tag.owner == 0) return;
    std::shared_ptr<const OutcomeDispatcher> current;
    {
      std::lock_guard<std::mutex> lock(handler_mutex);
      current = outcome_dispatcher;
    }
    if (current && *current) (*current)(report);
    else DtuCmdOutcomeProcess(report);
  }

  // Commands still waiting were meant for this device session: they end
  // unsent, and their owners hear so.
  void DropWaitingCommands() {
    DtuCmdRing &ring = DtuCmdRingInstance();
    DtuCmdSlot slot;
    DtuCmdReport report;
    report.outcome = DtuCmdOutcome::kPortClosed;
    while (ring.Get(&slot, &report.tag) == 0) Report(report);
    ring.Clear();
  }

  void JoinCloser() {
    std::lock_guard<std::mutex> lock(closer_mutex);
    if (closer.joinable() && closer.get_id() != std::this_thread::get_id()) closer.join();
  }
};

DtuCmdPort::DtuCmdPort() : impl_(std::make_unique<Impl>()) { PrepareDriver(impl_->serial); }

void DtuCmdPort::PrepareDriver(CSerialPortBase &driver) {
  driver.SetReadIdleTime(0);
  driver.SetMinNotifyBytes(1);
  driver.SetPortLostCallback([this](int code) { OnPortLost(code); });
}

// Puts the driver the port name asks for in place (the port is closed). The
// listener holds the driver it reads from, so a change makes a new one.
void DtuCmdPort::UseDriverFor(const std::string &port_name) {
  const std::string scheme = DtuCmdTransportScheme(port_name);
  if (scheme == impl_->active_scheme) return;
  CSerialPortBase *driver = &impl_->serial;
  if (!scheme.empty()) {
    std::unique_ptr<CSerialPortBase> transport = DtuCmdMakeTransport(port_name);
    if (!transport) return;  // unregistered meanwhile: a serial port after all
    PrepareDriver(*transport);
    driver = transport.get();
    impl_->transports.push_back(std::move(transport));
  }
  impl_->listener.reset();
  impl_->sender.SetDriver(driver);
  impl_->active.store(driver, std::memory_order_release);
  impl_->active_scheme = scheme;
}

DtuCmdPort::~DtuCmdPort() {
  if (remote_peer_) LeaveRemoteMode();
  Close();
  impl_->JoinCloser();
  impl_->serial.SetPortLostCallback(nullptr);
  for (auto &transport : impl_->transports) transport->SetPortLostCallback(nullptr);
}

DtuCmdPort *DtuCmdPort::OpenInstance() { return g_open_instance.load(std::memory_order_acquire); }

bool DtuCmdPort::DtuCmdPortOpen(const DtuSerialSettings &settings, std::string &error_text) {
  impl_->JoinCloser();
  std::lock_guard<std::mutex> lock(impl_->state_mutex);
  if (impl_->Driver().IsOpen()) {
    error_text = DtuSerialErrorText(kSerialAlreadyOpen);
    return false;
  }
  UseDriverFor(settings.port);
  CSerialPortBase &driver = impl_->Driver();
  driver.Init(settings.port, settings.baud, settings.parity, settings.databits, settings.stopbits, 0, 2048);
  driver.SetIoMode(0);
  driver.SetReadIdleTime(DtuQuietGapMs(settings.baud, settings.databits, settings.parity, settings.stopbits));
  impl_->open_failure = DtuPortOpenFailure::kNone;
  if (!driver.Open()) {
    impl_->open_failure = impl_->ClassifyOpenFailure();
    error_text = driver.GetLastErrorText();
    DTU_LOG("open %s failed: %s.", settings.port.c_str(), error_text.c_str());
    return false;
  }
  if (!impl_->listener) {
    impl_->listener = std::make_unique<SerialPortListenerImpl>(
        this, &driver, &impl_->sender, [this](const std::string &chunk) { impl_->Dispatch(chunk); },
        [this](const std::string &bytes) { impl_->Tap(bytes); });
  }
  driver.AttachListener(impl_->listener.get());
  impl_->sender.SetNoAnswerHook([listener = impl_->listener.get()] { listener->FlushHeld(); });
  impl_->sender.SetWrittenHook(impl_->written_tap);
  DtuCmdRingInstance().Clear();
  // The reference goes up before the sender can write, so the listener never
  // drops an answer to the first command.
  g_open_instance.store(this, std::memory_order_release);
  if (!impl_->sender.Start()) {
    error_text = DtuSerialErrorText(kSerialInnerError);
    DtuCmdPort *self = this;
    g_open_instance.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
    driver.DetachListener();
    impl_->listener.reset();
    driver.Close();
    return false;
  }
  error_text.clear();
  return true;
}

void DtuCmdPort::Close() {
  std::lock_guard<std::mutex> lock(impl_->state_mutex);
  CSerialPortBase &driver = impl_->Driver();
  if (!driver.IsOpen()) return;
  driver.DetachListener();
  impl_->sender.Stop();  // before the listener goes: the sender's no-answer hook reaches it
  impl_->listener.reset();
  DtuCmdPort *self = this;
  g_open_instance.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
  driver.Close();
  impl_->DropWaitingCommands();
}

bool DtuCmdPort::IsOpen() const { return impl_->Driver().IsOpen(); }

DtuPortOpenFailure DtuCmdPort::LastOpenFailure() const {
  std::lock_guard<std::mutex> lock(impl_->state_mutex);
  return impl_->open_failure;
}

void DtuCmdPort::SetWrittenTap(WrittenTap tap) { impl_->written_tap = std::move(tap); }

void DtuCmdPort::SetRawChunkTap(RawChunkTap tap) {
  auto holder = tap ? std::make_shared<const RawChunkTap>(std::move(tap)) : nullptr;
  std::lock_guard<std::mutex> lock(impl_->handler_mutex);
  impl_->raw_tap = std::move(holder);
}

int DtuCmdPort::SendRaw(const std::string &text) {
  const std::string line = text + "\r\n";
  return impl_->Driver().Write(line.data(), static_cast<int>(line.size()));
}

int DtuCmdPort::WriteRaw(const char *data, int length) { return impl_->Driver().Write(data, length); }

void DtuCmdPort::SetChunkDispatcher(ChunkDispatcher dispatcher) {
  auto holder = dispatcher ? std::make_shared<const ChunkDispatcher>(std::move(dispatcher)) : nullptr;
  std::lock_guard<std::mutex> lock(impl_->handler_mutex);
  impl_->dispatcher = std::move(holder);
}

void DtuCmdPort::SetOutcomeDispatcher(OutcomeDispatcher dispatcher) {
  auto holder = dispatcher ? std::make_shared<const OutcomeDispatcher>(std::move(dispatcher)) : nullptr;
  std::lock_guard<std::mutex> lock(impl_->handler_mutex);
  impl_->outcome_dispatcher = std::move(holder);
}

void DtuCmdPort::SetPortLostHandler(std::function<void(const std::string &text)> handler) {
  std::lock_guard<std::mutex> lock(impl_->handler_mutex);
  impl_->port_lost_handler = std::move(handler);
}

CSerialPortBase &DtuCmdPort::Driver() { return impl_->Driver(); }

int DtuCmdPort::CommandsWritten() const { return impl_->sender.Written(); }

int DtuCmdPort::CommandsAnswered() const { return impl_->sender.Answered(); }

// On the driver's reader thread: close from a thread of our own, because
// closing joins the reader.
void DtuCmdPort::OnPortLost(int error_code) {
  std::lock_guard<std::mutex> lock(impl_->closer_mutex);
  if (impl_->closer.joinable()) impl_->closer.join();
  const std::string text = std::string("the port was closed: ") + impl_->Driver().DescribeLoss(error_code);
  impl_->closer = std::thread([this, text] {
    Close();
    DTU_LOG("%s", text.c_str());
    std::function<void(const std::string &)> handler;
    {
      std::lock_guard<std::mutex> handler_lock(impl_->handler_mutex);
      handler = impl_->port_lost_handler;
    }
    if (handler) handler(text);
    else DtuWarningBox(text);
  });
}
