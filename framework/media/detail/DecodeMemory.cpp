#include "framework/media/detail/DecodeMemory.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace fw {
namespace {

struct Budget {
  std::mutex mutex;
  std::condition_variable released;
  int64_t free = kDecodeMemoryBytes;
};

Budget& TheBudget() {
  static Budget budget;
  return budget;
}

}  // namespace

bool DecodeMemory::Take(int64_t bytes, const std::atomic<bool>* cancel) {
  if (bytes <= 0) return true;
  if (bytes > kDecodeMemoryBytes - held_) return false;
  Budget& budget = TheBudget();
  std::unique_lock lock(budget.mutex);
  // A decode holds its share for a bounded time (its work is bounded), so the wait ends; the
  // cancel flag is looked at every few milliseconds meanwhile.
  while (budget.free < bytes) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return false;
    budget.released.wait_for(lock, std::chrono::milliseconds(20));
  }
  budget.free -= bytes;
  held_ += bytes;
  return true;
}

void DecodeMemory::Release() {
  if (held_ == 0) return;
  Budget& budget = TheBudget();
  {
    std::lock_guard lock(budget.mutex);
    budget.free += held_;
  }
  held_ = 0;
  budget.released.notify_all();
}

}  // namespace fw
