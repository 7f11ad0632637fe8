#pragma once
// Internal to the media layer: scaling a picture's pixels to another size, on any thread.
// Qt's own smooth scaling (and its format conversion) splits large images over Qt's global
// thread pool and waits for them: off the main thread that pool may have no threads to give
// (a process limit), and the wait never ends. This does all its work on the calling thread.
#include <QImage>
#include <QSize>
#include <atomic>

namespace fw {

// `source` (kPictureFormat) at `size`: each direction shrunk by area averaging (every source
// pixel counts by the share of it a target pixel covers, so thin lines and hatches do not
// turn to moiré) or enlarged by linear interpolation. Null when memory runs out or `*cancel`
// is set while it works.
QImage Resampled(const QImage& source, QSize size, const std::atomic<bool>* cancel = nullptr);

}  // namespace fw
