// rlx-reg: read and change the registry stand-in from the command line.
#include <QCoreApplication>
#include <cstdio>

#include "reg_command.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  QTextStream in(stdin);
  return platform::runRegCommand(app.arguments().mid(1), {out, err, in});
}
