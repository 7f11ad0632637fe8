#include "framework/core/BackgroundWork.h"

#include <malloc.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
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

// Two workers at least, so that a minute picture is not queued behind one face thumbnail that
// takes long; three where there are cores for them beside the main thread (twelve thumbnails
// come a third sooner). The decoders hold their memory together within one budget, however
// many run.
int MaxWorkers() {
  static const int workers = std::clamp(int(std::thread::hardware_concurrency()) - 1, 2, 3);
  return workers;
}

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
    // A worker more while more work waits than workers are free to take it.
    if (static_cast<int>(queue_.size()) <= idle_ || !StartWorker(lock)) {
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

  // Cancels everything, lets the workers hand back what they hold and end; the next work
  // starts new ones.
  void Stop() {
    std::unique_lock lock(mutex_);
    for (Job& job : queue_)
      if (job.cancel) job.cancel->store(true);
    for (auto& running : running_)
      if (running) running->store(true);
    retiring_ = true;
    held_ = false;
    ready_.notify_all();
    drained_.wait(lock, [&] { return threads_ == 0; });
    retiring_ = false;
  }

  void Hold(bool hold) {
    std::lock_guard lock(mutex_);
    held_ = hold;
    ready_.notify_all();
  }

  int Ran() {
    std::lock_guard lock(mutex_);
    return ran_;
  }

  // Hands back what is done as it is done, sleeping (not spinning) between: a benchmark
  // that waits here measures the workers, not the wait.
  void Finish(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
      {
        std::unique_lock lock(mutex_);
        if (outstanding_ == 0) return;
        if (!handedBack_.wait_until(lock, end, [&] { return undelivered_ > 0; })) return;
      }
      QCoreApplication::sendPostedEvents();
      QCoreApplication::processEvents();
    }
  }

 private:
  // Starts one more worker when there is room; false when there is none or the thread could
  // not be made.
  bool StartWorker(std::unique_lock<std::mutex>&) {
    if (threads_ >= MaxWorkers()) return false;
    // The allocator would give each worker an arena of its own, and each keeps what a decode
    // freed in it: resident memory crept up a megabyte or two over a day. One arena for all.
    static const bool oneArena = mallopt(M_ARENA_MAX, 1);
    (void)oneArena;
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
      if (queue_.empty()) {
        // Before it sleeps, the worker gives back what its work freed: a decode's buffers
        // are tens of megabytes, and the allocator would keep them in this thread's arena
        // for good, a little more each minute.
        lock.unlock();
        malloc_trim(0);
        lock.lock();
      }
      ready_.wait(lock, [&] { return (!queue_.empty() && !held_) || retiring_; });
      if (queue_.empty()) {
        --threads_;
        --idle_;
        drained_.notify_all();
        return;
      }
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
    }
  }

  void RunAndDeliver(Job job) {
    if (!job.cancel || !job.cancel->load()) {
      job.work();
      std::lock_guard lock(mutex_);
      ++ran_;
    }
    auto deliver = [this, done = std::move(job.done)] {
      {
        std::lock_guard lock(mutex_);
        --undelivered_;
      }
      if (done) done();
      std::lock_guard lock(mutex_);
      --outstanding_;
    };
    // From the event loop even when the caller did the work: the caller expects `done` later.
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(deliver),
                              Qt::QueuedConnection);
    // Counted once posted (the main thread may even have run it already, and counted down).
    std::lock_guard lock(mutex_);
    ++undelivered_;
    handedBack_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable ready_, drained_, handedBack_;
  std::deque<Job> queue_;
  // By worker: the cancel flag of the work it is doing. A retired worker's slot stays.
  std::deque<CancelFlag> running_;
  int threads_ = 0, idle_ = 0, busy_ = 0, ran_ = 0;
  int outstanding_ = 0;  // submitted, and `done` not yet called
  int undelivered_ = 0;  // of those, the ones whose work is over: `done` is on its way
  bool retiring_ = false, held_ = false;
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
void HoldBackgroundWorkForTesting(bool hold) { ThePool().Hold(hold); }
int BackgroundWorkRunForTesting() { return ThePool().Ran(); }

void RunInBackground(std::function<void()> work, std::function<void()> done, CancelFlag cancel) {
  ThePool().Submit({std::move(work), std::move(done), std::move(cancel)});
}

void StopBackgroundWork() { ThePool().Stop(); }

void FinishBackgroundWorkForTesting(int timeoutMs) { ThePool().Finish(timeoutMs); }

}  // namespace fw
