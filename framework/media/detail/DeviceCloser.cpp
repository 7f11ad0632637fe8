#include "framework/media/detail/DeviceCloser.h"

#include <utility>

#include "framework/core/BackgroundWork.h"

namespace fw {

void DeviceCloser::Start(std::function<void()> close) {
  Wait();
  // Under a process limit there is no thread to spare: the close stands the main thread still
  // for a buffer period or two, which beats ending the process from a timer.
  if (!TryStartThread(thread_, close)) close();
}

void DeviceCloser::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace fw
