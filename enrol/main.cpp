// Enrol: shows a ten-second wait window while an installation registers the plug-in.
#include <QApplication>

#include "enrol/fwait.h"
#include "platform/version_record.h"

RLX_VERSION_RECORD(
    "CompanyName=Zev Products Inc.\0ProductName=Enrol\0FileDescription=Enrol\0"
    "FileVersion=1.00\0ProductVersion=1.00\0InternalName=Enrol\0OriginalFilename=Enrol.exe");

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Enrol"));
  fWait window;
  enrol::RunWait(window, enrol::systemWaitClock());
  return 0;
}
