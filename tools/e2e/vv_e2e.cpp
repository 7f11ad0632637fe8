// vv_e2e: small probes for the end-to-end tests, which drive the real binary on an X server.
//
//   vv_e2e shot WINDOW OUT.png            the window's pixels as a PNG
//   vv_e2e pixel IMAGE X Y [RRGGBB [TOL]] print a pixel's colour; with RRGGBB, fail unless
//                                         every channel is within TOL (default 40) of it
//   vv_e2e picture OUT.jpg W H C1 [C2 C3 C4]
//                                         a JPEG of one colour, or of four quadrants
//                                         (top left, top right, bottom left, bottom right)
//   vv_e2e close WINDOW                   ask a window to close, as a window manager does
//                                         (WM_DELETE_WINDOW)
//   vv_e2e type WINDOW                    print the window's _NET_WM_WINDOW_TYPE names
//   vv_e2e owner WINDOW                   print the window it is transient for (WM_TRANSIENT_FOR),
//                                         0 when none
//   vv_e2e watch                          print a line for every top-level window created,
//                                         resized or mapped, until killed
//   vv_e2e audio RAW                      bytes, first non-zero byte and peak of raw S16 audio
//
// WINDOW is an X window id, decimal or 0x hex. Exit status: 0 ok, 1 check failed, 2 misuse.
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Xlib last: its macros (None, Bool, Status, ...) would otherwise clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

int Usage() {
  std::fputs(
      "usage: vv_e2e shot WINDOW OUT.png | pixel IMAGE X Y [RRGGBB [TOL]] |\n"
      "              picture OUT.jpg W H C1 [C2 C3 C4] | close WINDOW | type WINDOW |\n"
      "              owner WINDOW |\n"
      "              watch | audio RAW\n",
      stderr);
  return 2;
}

bool ParseWindow(const char* text, Window& out) {
  char* end = nullptr;
  const unsigned long id = std::strtoul(text, &end, 0);
  if (!end || *end || id == 0) return false;
  out = Window(id);
  return true;
}

bool ParseColor(const char* text, QRgb& out) {
  const QColor color(QStringLiteral("#") + QString::fromLatin1(text));
  if (std::strlen(text) != 6 || !color.isValid()) return false;
  out = color.rgb();
  return true;
}

Display* OpenDisplay() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) std::fprintf(stderr, "vv_e2e: cannot open display \"%s\"\n", XDisplayName(nullptr));
  return display;
}

// The lowest set bit's position and the width of a colour mask.
void MaskShape(unsigned long mask, int& shift, int& bits) {
  shift = 0;
  bits = 0;
  if (!mask) return;
  while (!(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  while (mask & 1) {
    mask >>= 1;
    ++bits;
  }
}

int Channel(unsigned long pixel, int shift, int bits) {
  if (bits == 0) return 0;
  const unsigned long max = (1ul << bits) - 1;
  return int(((pixel >> shift) & max) * 255 / max);
}

int Shot(const char* windowText, const char* out) {
  Window window;
  if (!ParseWindow(windowText, window)) return Usage();
  Display* display = OpenDisplay();
  if (!display) return 1;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
    std::fprintf(stderr, "vv_e2e: window %s is not viewable\n", windowText);
    XCloseDisplay(display);
    return 1;
  }
  XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width),
                            unsigned(attributes.height), AllPlanes, ZPixmap);
  if (!image) {
    std::fprintf(stderr, "vv_e2e: cannot read the pixels of window %s\n", windowText);
    XCloseDisplay(display);
    return 1;
  }
  int rs, rb, gs, gb, bs, bb;
  MaskShape(image->red_mask, rs, rb);
  MaskShape(image->green_mask, gs, gb);
  MaskShape(image->blue_mask, bs, bb);
  QImage result(attributes.width, attributes.height, QImage::Format_RGB32);
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      result.setPixel(x, y, qRgb(Channel(p, rs, rb), Channel(p, gs, gb), Channel(p, bs, bb)));
    }
  XDestroyImage(image);
  XCloseDisplay(display);
  if (!result.save(QString::fromLocal8Bit(out), "PNG")) {
    std::fprintf(stderr, "vv_e2e: cannot write %s\n", out);
    return 1;
  }
  return 0;
}

int Pixel(int argc, char** argv) {
  if (argc < 5 || argc > 7) return Usage();
  const QImage image(QString::fromLocal8Bit(argv[2]));
  if (image.isNull()) {
    std::fprintf(stderr, "vv_e2e: cannot read the picture %s\n", argv[2]);
    return 1;
  }
  const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
  if (!image.valid(x, y)) {
    std::fprintf(stderr, "vv_e2e: (%d, %d) lies outside the %dx%d picture\n", x, y, image.width(),
                 image.height());
    return 1;
  }
  const QRgb seen = image.pixel(x, y);
  std::printf("%02x%02x%02x\n", qRed(seen), qGreen(seen), qBlue(seen));
  if (argc == 5) return 0;
  QRgb wanted;
  if (!ParseColor(argv[5], wanted)) return Usage();
  const int tolerance = argc == 7 ? std::atoi(argv[6]) : 40;
  const bool near = std::abs(qRed(seen) - qRed(wanted)) <= tolerance &&
                    std::abs(qGreen(seen) - qGreen(wanted)) <= tolerance &&
                    std::abs(qBlue(seen) - qBlue(wanted)) <= tolerance;
  return near ? 0 : 1;
}

int Picture(int argc, char** argv) {
  if (argc != 6 && argc != 9) return Usage();
  const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
  if (width < 2 || height < 2 || width > 10000 || height > 10000) return Usage();
  QRgb colors[4];
  for (int i = 0; i < 4; ++i)
    if (!ParseColor(argv[argc == 6 ? 5 : 5 + i], colors[i])) return Usage();
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  const int halfW = width / 2, halfH = height / 2;
  painter.fillRect(0, 0, halfW, halfH, QColor(colors[0]));
  painter.fillRect(halfW, 0, width - halfW, halfH, QColor(colors[1]));
  painter.fillRect(0, halfH, halfW, height - halfH, QColor(colors[2]));
  painter.fillRect(halfW, halfH, width - halfW, height - halfH, QColor(colors[3]));
  painter.end();
  if (!image.save(QString::fromLocal8Bit(argv[2]), "JPG", 95)) {
    std::fprintf(stderr, "vv_e2e: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

int Close(const char* windowText) {
  Window window;
  if (!ParseWindow(windowText, window)) return Usage();
  Display* display = OpenDisplay();
  if (!display) return 1;
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  // Only a client that asked for WM_DELETE_WINDOW may be sent it.
  Atom* supported = nullptr;
  int count = 0;
  bool asked = false;
  if (XGetWMProtocols(display, window, &supported, &count)) {
    for (int i = 0; i < count; ++i) asked = asked || supported[i] == deleteWindow;
    XFree(supported);
  }
  if (!asked) {
    std::fprintf(stderr, "vv_e2e: window %s does not take WM_DELETE_WINDOW\n", windowText);
    XCloseDisplay(display);
    return 1;
  }
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = protocols;
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(deleteWindow);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

int Type(const char* windowText) {
  Window window;
  if (!ParseWindow(windowText, window)) return Usage();
  Display* display = OpenDisplay();
  if (!display) return 1;
  const Atom property = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  Atom actualType = 0;
  int actualFormat = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, property, 0, 64, False, XA_ATOM,
                                        &actualType, &actualFormat, &count, &after, &data);
  if (status == Success && actualFormat == 32 && data) {
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      char* name = XGetAtomName(display, atoms[i]);
      std::printf("%s\n", name ? name : "?");
      if (name) XFree(name);
    }
  }
  if (data) XFree(data);
  XCloseDisplay(display);
  return 0;
}

int Owner(const char* windowText) {
  Window window;
  if (!ParseWindow(windowText, window)) return Usage();
  Display* display = OpenDisplay();
  if (!display) return 1;
  Window owner = 0;
  if (!XGetTransientForHint(display, window, &owner)) owner = 0;
  std::printf("%lu\n", static_cast<unsigned long>(owner));
  XCloseDisplay(display);
  return 0;
}

int Watch() {
  Display* display = OpenDisplay();
  if (!display) return 1;
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == CreateNotify)
      std::printf("create 0x%lx %d %d\n", event.xcreatewindow.window, event.xcreatewindow.width,
                  event.xcreatewindow.height);
    else if (event.type == ConfigureNotify)
      std::printf("configure 0x%lx %d %d\n", event.xconfigure.window, event.xconfigure.width,
                  event.xconfigure.height);
    else if (event.type == MapNotify)
      std::printf("map 0x%lx\n", event.xmap.window);
    else
      continue;
    std::fflush(stdout);
  }
}

int Audio(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "vv_e2e: cannot read %s\n", path);
    return 1;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  long firstNonZero = -1;
  int peak = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const int16_t sample =
        int16_t(uint16_t(uint8_t(bytes[i])) | uint16_t(uint8_t(bytes[i + 1])) << 8);
    if (sample != 0 && firstNonZero < 0) firstNonZero = long(i);
    peak = std::max(peak, std::abs(int(sample)));
  }
  std::printf("bytes=%zu first_nonzero=%ld peak=%d\n", bytes.size(), firstNonZero, peak);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "close" && argc == 3) return Close(argv[2]);
  if (command == "type" && argc == 3) return Type(argv[2]);
  if (command == "owner" && argc == 3) return Owner(argv[2]);
  if (command == "watch" && argc == 2) return Watch();
  if (command == "audio" && argc == 3) return Audio(argv[2]);

  // The picture commands need Qt's image plug-ins, never a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  if (command == "shot" && argc == 4) return Shot(argv[2], argv[3]);
  if (command == "pixel") return Pixel(argc, argv);
  if (command == "picture") return Picture(argc, argv);
  return Usage();
}
