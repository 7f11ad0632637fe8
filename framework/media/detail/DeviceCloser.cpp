#include "framework/media/detail/DeviceCloser.h"

#include <utility>

namespace fw {

void DeviceCloser::Start(std::function<void()> close) {
  Wait();
  thread_ = std::thread(std::move(close));
}

void DeviceCloser::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace fw
