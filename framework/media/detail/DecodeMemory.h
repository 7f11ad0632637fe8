#pragma once
// Internal to the framework: the memory every picture decode under way may take, together.
// Decodes run on worker threads, two or more at once; each holds its share of this budget
// from before it allocates until it is done, so their peaks never add up past it.
#include <atomic>
#include <cstdint>

namespace fw {

// A 24-megapixel progressive photo with its colour at full resolution needs 137 MiB of
// coefficients, a 45-megapixel one with its colour at a quarter 130 MiB; beside the clock's own
// 40-odd MB the process stays under 200 MB.
inline constexpr int64_t kDecodeMemoryBytes = 150LL << 20;

// A share of kDecodeMemoryBytes, held until it is destroyed.
class DecodeMemory {
 public:
  DecodeMemory() = default;
  ~DecodeMemory() { Release(); }
  DecodeMemory(const DecodeMemory&) = delete;
  DecodeMemory& operator=(const DecodeMemory&) = delete;

  // Takes `bytes` more (all it then holds, with what it held before), waiting while other
  // decodes hold too much. False, holding what it held before, when that is more than the
  // whole budget or when `*cancel` is set while waiting.
  bool Take(int64_t bytes, const std::atomic<bool>* cancel);
  int64_t Held() const { return held_; }

 private:
  void Release();
  int64_t held_ = 0;
};

}  // namespace fw
