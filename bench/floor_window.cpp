// The floor of the whole-process figures: a bare Qt window shown as the clock shows itself,
// a menu bar with the same two menus and below it a JPEG scaled smoothly to 320 x 480.
// With --tick it also does what the clock does between minutes and nothing else: a coarse
// 500 ms timer puts the time in the title.
//
//   floor_window [--tick] PICTURE.jpg
#include <QApplication>
#include <QTime>
#include <QTimer>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

namespace {

class PictureWidget : public QWidget {
 public:
  explicit PictureWidget(QImage picture) : picture_(std::move(picture)) {
    setFixedSize(picture_.size());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
  }

 private:
  QImage picture_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const bool tick = argc == 3 && QLatin1String(argv[1]) == QLatin1String("--tick");
  if (argc != 2 && !tick) {
    std::fprintf(stderr, "usage: floor_window [--tick] PICTURE.jpg\n");
    return 2;
  }
  const char* path = argv[argc - 1];
  const QImage picture = QImage(QString::fromLocal8Bit(path))
                             .scaled(320, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (picture.isNull()) {
    std::fprintf(stderr, "floor_window: cannot read %s\n", path);
    return 1;
  }

  QWidget window;
  window.setWindowTitle(QStringLiteral("00:00:00"));
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QMenuBar(&window);
  QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
  file->addAction(QStringLiteral("環境設定..."));
  file->addAction(QStringLiteral("終了"), QKeySequence(QStringLiteral("Ctrl+Q")), &app, &QApplication::quit);
  QMenu* size = bar->addMenu(QStringLiteral("ウィンドウ"));
  size->addAction(QStringLiteral("小"), QKeySequence(QStringLiteral("Ctrl+1")));
  size->addAction(QStringLiteral("中"), QKeySequence(QStringLiteral("Ctrl+2")));
  size->addAction(QStringLiteral("大"), QKeySequence(QStringLiteral("Ctrl+3")));
  layout->setMenuBar(bar);
  layout->addWidget(new PictureWidget(picture));
  layout->setSizeConstraint(QLayout::SetFixedSize);
  window.show();
  QTimer timer;
  timer.setTimerType(Qt::CoarseTimer);
  QObject::connect(&timer, &QTimer::timeout, [&window] {
    window.setWindowTitle(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));  // same text: no-op
  });
  if (tick) timer.start(500);
  return app.exec();
}
