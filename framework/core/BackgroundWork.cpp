#include "framework/core/BackgroundWork.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "framework/core/Testing.h"

namespace fw {
namespace {

struct Job {
  std::function<void()> work;
  std::function<void()> done;
  CancelFlag cancel;
};

// Two workers: a minute picture is not queued behind a face thumbnail that takes long, and on
// a two-core machine the main thread keeps a core to itself. The decoders hold their own
// memory bounds, so two at once stay within the process's.
constexpr int kMaxWorkers = 2;

class Pool {
 public:
  void Submit(Job job) {
    if (!QCoreApplication::instance()) {
      // No event loop to hand `done` back through: all of it here, in order.
      if (!job.cancel || !job.cancel->load()) job.work();
      if (job.done) job.done();
      return;
    }
    std::unique_lock lock(mutex_);
    ++outstanding_;
    queue_.push_back(std::move(job));
    if (idle_ > 0 || !StartWorker(lock)) {
      if (threads_ > 0) {
        ready_.notify_one();
        return;
      }
      // No worker at all, and none can be started: the caller does the work.
      Job now = std::move(queue_.back());
      queue_.pop_back();
      lock.unlock();
      RunAndDeliver(std::move(now));
    }
  }

  void Stop() {
    std::unique_lock lock(mutex_);
    for (Job& job : queue_)
      if (job.cancel) job.cancel->store(true);
    for (auto& running : running_)
      if (running) running->store(true);
    drained_.wait(lock, [&] { return busy_ == 0; });
  }

  void Finish(int timeoutMs) {
    ProcessEventsUntil([&] {
      std::lock_guard lock(mutex_);
      return outstanding_ == 0;
    }, timeoutMs);
  }

 private:
  // Starts one more worker when there is room; false when there is none or the thread could
  // not be made.
  bool StartWorker(std::unique_lock<std::mutex>&) {
    if (threads_ >= kMaxWorkers) return false;
    std::thread worker;
    if (!TryStartThread(worker, [this] { Work(); })) return false;
    worker.detach();
    ++threads_;
    ++idle_;
    return true;
  }

  void Work() {
    std::unique_lock lock(mutex_);
    const size_t slot = running_.size();
    running_.push_back(nullptr);
    while (true) {
      ready_.wait(lock, [&] { return !queue_.empty(); });
      Job job = std::move(queue_.front());
      queue_.pop_front();
      --idle_;
      ++busy_;
      running_[slot] = job.cancel;
      lock.unlock();
      RunAndDeliver(std::move(job));
      lock.lock();
      running_[slot] = nullptr;
      --busy_;
      ++idle_;
      if (busy_ == 0) drained_.notify_all();
    }
  }

  void RunAndDeliver(Job job) {
    if (!job.cancel || !job.cancel->load()) job.work();
    auto deliver = [this, done = std::move(job.done)] {
      if (done) done();
      std::lock_guard lock(mutex_);
      --outstanding_;
    };
    // From the event loop even when the caller did the work: the caller expects `done` later.
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(deliver),
                              Qt::QueuedConnection);
  }

  std::mutex mutex_;
  std::condition_variable ready_, drained_;
  std::deque<Job> queue_;
  std::deque<CancelFlag> running_;  // by worker: the cancel flag of the work it is doing
  int threads_ = 0, idle_ = 0, busy_ = 0, outstanding_ = 0;
};

// Never destroyed: the workers are detached and wait on it until the process ends.
Pool& ThePool() {
  static Pool* pool = new Pool;
  return *pool;
}

bool threadsRefused = false;

}  // namespace

bool TryStartThread(std::thread& thread, std::function<void()> body) {
  if (threadsRefused) return false;
  try {
    thread = std::thread(std::move(body));
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void RefuseThreadsForTesting(bool refuse) { threadsRefused = refuse; }

void RunInBackground(std::function<void()> work, std::function<void()> done, CancelFlag cancel) {
  ThePool().Submit({std::move(work), std::move(done), std::move(cancel)});
}

void StopBackgroundWork() { ThePool().Stop(); }

void FinishBackgroundWorkForTesting(int timeoutMs) { ThePool().Finish(timeoutMs); }

}  // namespace fw
