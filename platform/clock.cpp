#include "clock.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace platform {

qint64 SystemClock::nowMs() const {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

qint64 SystemClock::epochMs() const { return QDateTime::currentMSecsSinceEpoch(); }

SystemClock& SystemClock::instance() {
  static SystemClock clock;
  return clock;
}

}  // namespace platform
