#include "waits.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace window_waits {

namespace {
Pacer* g_pacer = nullptr;

EventLoopPacer& fallback() {
  static EventLoopPacer pacer;
  return pacer;
}
}  // namespace

Pacer& pacer() { return g_pacer ? *g_pacer : fallback(); }

void setPacer(Pacer* p) { g_pacer = p; }

void EventLoopPacer::pause(int ms) {
  if (QCoreApplication::closingDown())
    return;
  QEventLoop loop;
  QTimer::singleShot(ms > 0 ? ms : 0, &loop, &QEventLoop::quit);
  // Ends early (returning at once) when the program is told to end.
  loop.exec();
}

const platform::Clock& EventLoopPacer::clock() const { return platform::SystemClock::instance(); }

}  // namespace window_waits
