#include "window_finder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWidget>

namespace platform {

namespace {
WindowFinder* g_finder = nullptr;

QWidget* find(const QString& title) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowTitle() == title)
      return w;
  return nullptr;
}
}  // namespace

WindowFinder& windowFinder() {
  static QtWindowFinder qtFinder;
  return g_finder ? *g_finder : qtFinder;
}

void setWindowFinder(WindowFinder* finder) { g_finder = finder; }

bool QtWindowFinder::exists(const QString& title) { return find(title) != nullptr; }

void QtWindowFinder::postClose(const QString& title) {
  if (QWidget* w = find(title))
    QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
}

}  // namespace platform
