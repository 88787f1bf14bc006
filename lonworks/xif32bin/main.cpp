// XIF32BIN "in.xif" "out.XFB": compiles an external interface file into its
// binary form. Exit code 0 on success; otherwise the reason is printed.
#include <QCoreApplication>
#include <cstdio>

#include "lonworks/xif32bin/xfb.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: XIF32BIN \"input.xif\" \"output.XFB\"\n");
    return 2;
  }
  QString why;
  const int rc = xif32bin::Compile(args[0], args[1], &why);
  if (rc != 0)
    std::fprintf(stderr, "XIF32BIN: %s\n", qPrintable(why));
  return rc;
}
