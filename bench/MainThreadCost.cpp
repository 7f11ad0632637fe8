#include "MainThreadCost.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <ctime>

#include "framework/Testing.h"

namespace bench {
namespace {
double Ms(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}
}  // namespace

double ThreadCpuMs() { return Ms(CLOCK_THREAD_CPUTIME_ID); }
double ProcessCpuMs() { return Ms(CLOCK_PROCESS_CPUTIME_ID); }
double WallMs() { return Ms(CLOCK_MONOTONIC); }

MainThreadCost MeasureMainThread(const std::function<void()>& call,
                                 const std::function<bool()>& delivered, int timeoutMs) {
  QTimer wake;
  wake.setInterval(5);
  MainThreadCost cost;
  const double start = WallMs(), mainStart = ThreadCpuMs(), cpuStart = ProcessCpuMs();
  call();
  cost.callMs = WallMs() - start;
  wake.start();
  double othersBefore = ProcessCpuMs() - ThreadCpuMs(), quietSince = WallMs();
  while (!(cost.delivered = delivered())) {
    const double now = WallMs();
    if (now - start > timeoutMs || now - quietSince > 30) break;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    // Each wake-up is main-thread time of the harness's own: fewer as the wait goes on.
    if (wake.interval() < 100) wake.setInterval(wake.interval() * 2);
    const double others = ProcessCpuMs() - ThreadCpuMs();
    if (others - othersBefore > 0.05) quietSince = WallMs();
    othersBefore = others;
  }
  wake.stop();
  fw::FinishBackgroundWorkForTesting(timeoutMs);
  cost.delivered = cost.delivered || delivered();
  cost.doneMs = WallMs() - start;
  cost.mainCpuMs = ThreadCpuMs() - mainStart;
  cost.cpuMs = ProcessCpuMs() - cpuStart;
  return cost;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace bench
