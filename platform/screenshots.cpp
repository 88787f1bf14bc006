#include "screenshots.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace platform {

void ScreenshotRecorder::installFromEnvironment() {
  const QString folder = qEnvironmentVariable("RLX_SCREENSHOT_DIR");
  if (folder.isEmpty() || !qApp)
    return;
  auto* recorder = new ScreenshotRecorder(folder, qApp);
  qApp->installEventFilter(recorder);
}

ScreenshotRecorder::ScreenshotRecorder(const QString& folder, QObject* parent) : QObject(parent), folder_(folder) {
  QDir().mkpath(folder_);
}

bool ScreenshotRecorder::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    if (w->isWindow() && !w->objectName().isEmpty() && !scheduled_.contains(w)) {
      scheduled_.insert(w);
      QPointer<QWidget> guard(w);
      // Once right away (a modal box may block the loop later) and once settled.
      for (int delay : {150, 1200})
        QTimer::singleShot(delay, this, [this, guard] {
          if (guard && guard->isVisible())
            save(guard);
        });
      connect(w, &QObject::destroyed, this, [this, w] { scheduled_.remove(w); });
    }
  }
  return QObject::eventFilter(watched, event);
}

QString ScreenshotRecorder::save(QWidget* window) {
  const QString path = folder_ + u'/' + window->objectName() + QStringLiteral(".png");
  const QString temp = path + QStringLiteral(".part.png");
  if (!window->grab().save(temp, "PNG"))
    return {};
  QFile::remove(path);
  QFile::rename(temp, path);
  return path;
}

}  // namespace platform
