// The floor of the whole-process figures: a bare Qt window shown as the clock shows itself,
// a menu bar with the same two menus (Ctrl+1, 2 and 3 size the picture to 1/4, 1/2 and all
// of 640 x 960) and below it, once the window is up, a JPEG decoded by Qt to its size.
//
//   floor_window [--tick [--aligned] [--payload DIR]] PICTURE.jpg
//   floor_window_voices --tick --payload DIR PICTURE.jpg
//
// --tick also does what the clock does between minutes and nothing else: a coarse 500 ms
// timer puts the time in the title, at whatever phase it started with. --aligned: the title
// on the half seconds instead, the least a timer can do to show each second on time: a
// precise single shot armed for the next half second of the wall clock, once at once. --payload: at
// each new minute, the timer also shows the minute's picture DIR/tHHMM.jpg; floor_window_voices
// then plays the voice the clock plays at that minute with its default settings (DIR/stHHMM.mp3 at
// ten-minute marks, else DIR/otHHMM.mp3) through SDL_mixer, opening the audio device for it and
// closing it when the voice ends. (Two programs, so that SDL is not loaded where no voice is
// played.)
#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

#ifdef FLOOR_VOICES
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>
#endif

namespace {

class PictureWidget : public QWidget {
 public:
  // Shows the file at `size`; false when Qt cannot read it.
  bool Show(const QString& path, QSize size) {
    QImageReader reader(path);
    reader.setScaledSize(size);
    QImage picture = reader.read();
    if (picture.isNull()) return false;
    picture_ = std::move(picture);
    path_ = path;
    setFixedSize(size);
    update();
    return true;
  }
  void Resize(QSize size) { Show(path_, size); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
  }

 private:
  QImage picture_;
  QString path_;
};

#ifdef FLOOR_VOICES
Mix_Chunk* gVoice = nullptr;

// On the mixer's thread: the voice has ended, the main thread closes the device.
void VoiceEnded(int) {
  QMetaObject::invokeMethod(
      qApp,
      [] {
        Mix_FreeChunk(gVoice);
        gVoice = nullptr;
        Mix_CloseAudio();
      },
      Qt::QueuedConnection);
}

void PlayVoice(const QString& path) {
  if (gVoice || !QFileInfo::exists(path)) return;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // SIGTERM ends the program, as it ends the clock
  if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) return;
  Mix_ChannelFinished(&VoiceEnded);
  gVoice = Mix_LoadWAV(path.toLocal8Bit().constData());
  if (!gVoice || Mix_PlayChannel(-1, gVoice, 0) < 0) {
    if (gVoice) Mix_FreeChunk(gVoice);
    gVoice = nullptr;
    Mix_CloseAudio();
  }
}
#endif

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  const bool tick = args.removeAll(QStringLiteral("--tick")) > 0;
  const bool aligned = args.removeAll(QStringLiteral("--aligned")) > 0;
  QString payload;
  if (const qsizetype at = args.indexOf(QStringLiteral("--payload"));
      at >= 0 && at + 1 < args.size()) {
    payload = args.at(at + 1);
    args.remove(at, 2);
  }
  if (args.size() != 1 || ((!payload.isEmpty() || aligned) && !tick)) {
    std::fprintf(stderr, "usage: floor_window [--tick [--aligned] [--payload DIR]] PICTURE.jpg\n");
    return 2;
  }

  QWidget window;
  window.setWindowTitle(QStringLiteral("00:00:00"));
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* picture = new PictureWidget;
  picture->setFixedSize(320, 480);
  auto* bar = new QMenuBar(&window);
  QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
  file->addAction(QStringLiteral("環境設定..."));
  file->addAction(QStringLiteral("終了"), QKeySequence(QStringLiteral("Ctrl+Q")), &app,
                  &QApplication::quit);
  QMenu* size = bar->addMenu(QStringLiteral("ウィンドウ"));
  size->addAction(QStringLiteral("小"), QKeySequence(QStringLiteral("Ctrl+1")), [picture] {
    picture->Resize({160, 240});
  });
  size->addAction(QStringLiteral("中"), QKeySequence(QStringLiteral("Ctrl+2")), [picture] {
    picture->Resize({320, 480});
  });
  size->addAction(QStringLiteral("大"), QKeySequence(QStringLiteral("Ctrl+3")), [picture] {
    picture->Resize({640, 960});
  });
  layout->setMenuBar(bar);
  layout->addWidget(picture);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  window.show();
  // The clock paints its window before it decodes a picture; so does its floor, which then
  // shows its picture at once.
  QTimer::singleShot(0, [&] {
    if (!picture->Show(args.at(0), picture->size())) {
      std::fprintf(stderr, "floor_window: cannot read %s\n", qPrintable(args.at(0)));
      app.exit(1);
    }
  });

  QTimer timer;
  timer.setTimerType(aligned ? Qt::PreciseTimer : Qt::CoarseTimer);
  timer.setSingleShot(aligned);
  const auto arm = [&] { timer.start(int(500 - QDateTime::currentMSecsSinceEpoch() % 500)); };
  QString lastMinute;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const QTime now = QTime::currentTime();
    if (aligned) arm();
    window.setWindowTitle(now.toString(QStringLiteral("HH:mm:ss")));  // same text: no-op
    const QString hhmm = now.toString(QStringLiteral("HHmm"));
    if (payload.isEmpty() || hhmm == lastMinute) return;
    lastMinute = hhmm;
    const QString minutePicture = payload + QStringLiteral("/t") + hhmm + QStringLiteral(".jpg");
    if (QFileInfo::exists(minutePicture)) picture->Show(minutePicture, picture->size());
#ifdef FLOOR_VOICES
    const bool serif = now.minute() % 10 == 0;
    PlayVoice(payload + (serif ? QStringLiteral("/st") : QStringLiteral("/ot")) + hhmm +
              QStringLiteral(".mp3"));
#endif
  });
  if (tick && aligned)
    timer.start(0);
  else if (tick)
    timer.start(500);
  const int status = app.exec();
#ifdef FLOOR_VOICES
  Mix_CloseAudio();
  SDL_Quit();
#endif
  return status;
}
