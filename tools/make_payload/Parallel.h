#pragma once
// A fixed crew of threads working through numbered tasks.
#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace payload {

// Runs task(i, error) for every i below count on `jobs` threads, in no set order. The first
// task that returns false stops the hand-out of new tasks; its error is returned.
inline bool RunParallel(size_t count, int jobs,
                        const std::function<bool(size_t, std::string&)>& task, std::string& error) {
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex errorLock;
  auto work = [&] {
    for (size_t i; !failed.load() && (i = next.fetch_add(1)) < count;) {
      std::string taskError;
      if (task(i, taskError)) continue;
      std::lock_guard lock(errorLock);
      if (!failed.exchange(true)) error = taskError;
    }
  };
  const size_t crew = std::min<size_t>(size_t(std::max(1, jobs)), std::max<size_t>(count, 1));
  std::vector<std::thread> threads;
  for (size_t t = 1; t < crew; ++t) threads.emplace_back(work);
  work();  // the calling thread works too
  for (auto& thread : threads) thread.join();
  return !failed.load();
}

}  // namespace payload
