#include "mmain.h"

#include <QCoreApplication>
#include <QWidget>

MMainState MMain;

namespace {
std::function<void()>& shutdownProcedure() {
  static std::function<void()> procedure;
  return procedure;
}
}  // namespace

void SetTopmost(QWidget* window, bool onTop) {
  if (!window)
    return;
  const bool visible = window->isVisible();
  const QRect geometry = window->geometry();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  if (visible) {
    window->setGeometry(geometry);
    window->show();
  }
}

void SetShutdownProcedure(std::function<void()> procedure) { shutdownProcedure() = std::move(procedure); }

void RunShutdown() {
  if (shutdownProcedure()) {
    shutdownProcedure()();
    return;
  }
  QCoreApplication::exit(0);
}
