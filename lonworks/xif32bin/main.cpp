// XIF32BIN "in.xif" "out.XFB": compiles an external interface file into its
// binary form. Exit code 0 on success; otherwise the reason is printed.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "lonworks/xif32bin/xfb.h"
#include "rlx_build_info.h"

namespace {

const char* const kUsage =
    "Usage: XIF32BIN [--] INPUT.xif OUTPUT.XFB\n"
    "Compiles an external interface file into its binary form, the file LNS reads\n"
    "device templates from. The output's folder must exist; an existing file is replaced.\n"
    "\n"
    "  -h, --help     show this text\n"
    "  --version      show the program's version\n"
    "\n"
    "Exit codes: 0 compiled, 1 the input could not be read or compiled, 2 wrong command\n"
    "line, 3 the output could not be written. A failure's reason goes to standard error.\n";

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("XIF32BIN"));
  QCommandLineParser parser;
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version(QStringLiteral("version"), QString());
  parser.addOption(help);
  parser.addOption(version);
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "XIF32BIN: %s\n%s", qPrintable(parser.errorText()), kUsage);
    return 2;
  }
  if (parser.isSet(help)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("XIF32BIN %s\n", RLX_PROJECT_VERSION);
    return 0;
  }
  const QStringList args = parser.positionalArguments();
  if (args.size() != 2) {
    std::fprintf(stderr, "XIF32BIN: give the input and the output file\n%s", kUsage);
    return 2;
  }
  QString why;
  const int rc = xif32bin::Compile(args[0], args[1], &why);
  if (rc != 0)
    std::fprintf(stderr, "XIF32BIN: %s\n", qPrintable(why));
  return rc;
}
