#include "pages/virtual_serial/dtu_network_worker.h"

#include <QMetaObject>

DtuNetworkWorker::DtuNetworkWorker(QObject *parent) : QObject(parent) {
  thread_ = std::thread(&DtuNetworkWorker::Loop, this);
}

DtuNetworkWorker::~DtuNetworkWorker() { Stop(); }

void DtuNetworkWorker::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
    jobs_.clear();
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void DtuNetworkWorker::Run(Job job) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) return;
    jobs_.push_back(std::move(job));
  }
  if (outstanding_++ == 0) emit BusyChanged(true);
  wake_.notify_one();
}

void DtuNetworkWorker::Loop() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> guard(lock_);
      wake_.wait(guard, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    Apply apply = job();
    // Queued calls to one receiver run in the order they were posted, so
    // results are applied in the order the jobs were queued.
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) return;
    QMetaObject::invokeMethod(this, [this, apply] { Applied(apply); }, Qt::QueuedConnection);
  }
}

void DtuNetworkWorker::Applied(const Apply &apply) {
  // Idle first: a result may open a message box, and the page's buttons
  // should not stay greyed out behind it.
  if (--outstanding_ == 0) emit BusyChanged(false);
  if (apply) apply();
}
