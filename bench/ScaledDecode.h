#pragma once
// The floor of the minute work: a JPEG file read and decoded by libjpeg-turbo straight to the
// largest DCT reduction (1/1, 1/2, 1/4, 1/8) that still covers the target, then the rest
// shrunk with Qt's area-averaging smooth scale. Nothing else: no checks beyond libjpeg's own.
#include <QImage>
#include <QSize>
#include <string>

namespace bench {

// The picture at exactly `target`, or whole when the file has fewer pixels (for the painter to
// enlarge); null when the file is no JPEG libjpeg decodes.
QImage ScaledDecode(const std::string& path, QSize target);

// The least any program must do to show a picture file of any format at `target`: a JPEG as
// above, except that a progressive one shown at 1/8 has its luma's AC scans dropped by a
// marker walk (at 1/8 a luma block is its DC alone) and is decoded without block smoothing;
// any other format (PNG, BMP, GIF) decoded whole by Qt. Then the same area-averaging shrink.
// Null when the file does not decode.
QImage FloorDecode(const std::string& path, QSize target);

}  // namespace bench
