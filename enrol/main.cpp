// Enrol: shows a ten-second wait window while an installation registers the plug-in.
#include <QApplication>
#include <cstdio>
#include <string_view>

#include "enrol/fwait.h"
#include "platform/display.h"
#include "platform/version_record.h"

RLX_VERSION_RECORD(
    "CompanyName=Zev Products Inc.\0ProductName=Enrol\0FileDescription=Enrol\0"
    "FileVersion=1.00\0ProductVersion=1.00\0InternalName=Enrol\0OriginalFilename=Enrol.exe");

int main(int argc, char** argv) {
  // Asked about itself, it answers at once, with or without a display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      std::fputs("Usage: Enrol\nShows the installer's wait window for ten seconds, then ends.\n", stdout);
      return 0;
    }
    if (arg == "--version") {
      std::fputs("Enrol 1.00\n", stdout);
      return 0;
    }
  }
  // An installation without a desktop, or with a DISPLAY that names a server
  // that is gone, still gets its wait: drawn offscreen, never an abort.
  platform::DisplayStart display = platform::DisplayStart::prepare();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Enrol"));
  display.settle();
  fWait window;
  enrol::RunWait(window, enrol::systemWaitClock());
  return 0;
}
