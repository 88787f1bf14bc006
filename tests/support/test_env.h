#pragma once
// Per-test surroundings: a private registry root and a scratch folder, both
// removed when the test ends.

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "tests/support/qt_printers.h"

namespace testing_support {

class TestEnv {
 public:
  TestEnv();
  ~TestEnv();
  QString registryRoot() const;
  // A scratch folder for the test's files.
  QString scratch() const;
  // Makes a LonWorks tree under the scratch folder (with Import/ and Types/)
  // and points "LonWorks Path" at it. Returns its path.
  QString makeLonWorksTree(const QString& name = QStringLiteral("LonWorks"));
  // The folder that holds the built programs (bin/ of the build tree).
  static QString binDir();
  static QString sourceDir();

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  QByteArray previousRoot_;
};

}  // namespace testing_support
