#pragma once
// Internal to the framework: tells when the wall clock jumps (set by hand or by the time
// service) and when the machine wakes from a suspend, which the kernel counts as a jump too.
#include <functional>

namespace fw {

class ClockChangeWatch {
 public:
  // `changed` runs on the main thread after each jump, until Remove(id). Returns 0 and never
  // calls it when jumps cannot be watched (no application yet, or no kernel support).
  static int Add(std::function<void()> changed);
  static void Remove(int id);
};

}  // namespace fw
