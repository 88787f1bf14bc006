// ring_stats_screenshots <folder>: draws the ring mode and statistics windows
// with example contents (offscreen when there is no display) and saves them
// as <folder>/fRingMode.png and <folder>/fConnStatistics.png for the
// documentation.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <cstdio>

#include "ring_stats/fconnstatistics.h"
#include "ring_stats/fringmode.h"

namespace {

bool save(QWidget* window, const QString& folder) {
  window->show();
  QApplication::processEvents();
  const QString path = folder + u'/' + window->objectName() + QStringLiteral(".png");
  const bool ok = window->grab().save(path, "PNG");
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
  window->hide();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: ring_stats_screenshots <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  // The explicit family's example: enabled, unit 05, 2000 ms, 10000 ms.
  fRingMode ringMode;
  ringMode.EnableChk->setChecked(true);
  ringMode.EnableChk_Click();
  ringMode.TextUnitID->setText(QStringLiteral("05"));
  ringMode.TextRingProp->setText(QStringLiteral("2000"));
  ringMode.TextRingTest->setText(QStringLiteral("10000"));
  ringMode.PBar->setValue(ringMode.PBar->maximum());

  // External modem 2 after two heartbeat losses and 17 connections.
  fConnStatistics statistics;
  statistics.SetInternalModemRows(false);
  statistics.ShowReply(QStringLiteral("1\t61\t3\t2\t4\t5\t0\t1\t0\t0\t0\t0\t0\t17\t3"));

  const bool ok = save(&ringMode, folder) && save(&statistics, folder);
  return ok ? 0 : 1;
}
