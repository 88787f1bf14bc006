#include "fwait.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTime>
#include <QVBoxLayout>

fWait::fWait(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fWait"));
  setWindowTitle(QStringLiteral("Regestering: RLX_Plug"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(28, 20, 28, 20);
  layout->setSpacing(14);
  Label2 = new QLabel(QStringLiteral("Please Wait !"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setAlignment(Qt::AlignCenter);
  QFont f = Label2->font();
  f.setPointSizeF(f.pointSizeF() * 1.3);
  f.setBold(true);
  Label2->setFont(f);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setAccessibleName(QStringLiteral("Please Wait !"));
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setMinimumWidth(320);
  layout->addWidget(Label2);
  layout->addWidget(ProgressBar1);
}

namespace enrol {

WaitClock systemWaitClock() {
  WaitClock c;
  c.currentSecond = [] { return QTime::currentTime().second(); };
  c.pause = [] {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(50);
  };
  return c;
}

QList<int> RunWait(fWait& window, const WaitClock& clock) {
  QList<int> values;
  const int start = clock.currentSecond();
  int elapsed = 0;
  window.ProgressBar1->setMinimum(0);
  window.ProgressBar1->setValue(0);
  window.ProgressBar1->setMaximum(12);
  window.show();
  while (elapsed < 10) {
    int now = clock.currentSecond();
    if (now < start)
      now += 60;
    elapsed = now - start;
    window.ProgressBar1->setValue(qMin(elapsed, 12));
    values << window.ProgressBar1->value();
    QApplication::processEvents();
    if (elapsed < 10)
      clock.pause();
  }
  window.hide();
  return values;
}

}  // namespace enrol
