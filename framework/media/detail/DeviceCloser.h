#pragma once
// Internal to the framework: the audio device closed on a thread of its own. SDL stops and
// joins its audio thread on a close, which sleeps up to a buffer period or two: 47-69 ms that
// the main thread would stand still for at every rest. Main thread only.
#include <functional>
#include <thread>

namespace fw {

class DeviceCloser {
 public:
  DeviceCloser() = default;
  DeviceCloser(const DeviceCloser&) = delete;
  DeviceCloser& operator=(const DeviceCloser&) = delete;
  ~DeviceCloser() { Wait(); }

  // Runs `close` on a new thread, or here when none can be made; one started before is
  // waited for first.
  void Start(std::function<void()> close);
  // Returns once no close runs. Every SDL call after a Start comes after this: the mixer's
  // and SDL's audio state are not to be touched while they are taken down.
  void Wait();

 private:
  std::thread thread_;
};

}  // namespace fw
