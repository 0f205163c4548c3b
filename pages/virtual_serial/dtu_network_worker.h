// One background thread for a page's network work (HTTPS requests, MQTT
// connects), so that a 15 s HTTP wait or a 30 s connect never freezes the
// window. Jobs run one at a time in the order they were queued; each returns
// what to do with its result, and that runs on the thread of this object (the
// GUI thread) in the same order. The owner shows Busy() on its buttons.
#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class DtuNetworkWorker : public QObject {
  Q_OBJECT

 public:
  using Apply = std::function<void()>;
  // Runs on the worker thread; must not touch GUI-thread objects. What it
  // returns runs on the GUI thread (an empty function: nothing to apply).
  using Job = std::function<Apply()>;

  explicit DtuNetworkWorker(QObject *parent = nullptr);
  // Lets the running job finish, drops the queued ones and joins the thread;
  // results not applied yet are dropped with this object.
  ~DtuNetworkWorker() override;

  void Run(Job job);
  // What the destructor does, for an owner that must know the thread is done
  // before it tears down what the jobs use. Later Runs are dropped.
  void Stop();
  // True from Run until the last queued job's result has been applied.
  bool Busy() const { return outstanding_ > 0; }

 signals:
  void BusyChanged(bool busy);

 private:
  void Loop();
  void Applied(const Apply &apply);

  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stopping_ = false;
  int outstanding_ = 0;  // GUI thread only
  std::thread thread_;
};
