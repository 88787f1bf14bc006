#include "test_env.h"

#include <QCoreApplication>
#include <QDir>

#include "platform/registry.h"

namespace testing_support {

TestEnv::TestEnv() : dir_(std::make_unique<QTemporaryDir>()) {
  previousRoot_ = qgetenv("RLX_REGISTRY_ROOT");
  QDir().mkpath(registryRoot());
  QDir().mkpath(scratch());
  qputenv("RLX_REGISTRY_ROOT", registryRoot().toUtf8());
}

TestEnv::~TestEnv() {
  if (previousRoot_.isNull())
    qunsetenv("RLX_REGISTRY_ROOT");
  else
    qputenv("RLX_REGISTRY_ROOT", previousRoot_);
}

QString TestEnv::registryRoot() const { return dir_->path() + QStringLiteral("/registry"); }

QString TestEnv::scratch() const { return dir_->path() + QStringLiteral("/scratch"); }

QString TestEnv::makeLonWorksTree(const QString& name) {
  const QString root = scratch() + u'/' + name;
  QDir().mkpath(root + QStringLiteral("/Import"));
  QDir().mkpath(root + QStringLiteral("/Types"));
  QDir().mkpath(root + QStringLiteral("/bin"));
  platform::Registry::setValue(platform::Hive::LocalMachine, QStringLiteral("SOFTWARE\\LonWorks"),
                               QStringLiteral("LonWorks Path"), root);
  return root;
}

QString TestEnv::binDir() {
  const QString env = qEnvironmentVariable("RLX_BIN_DIR");
  return env.isEmpty() ? QStringLiteral(RLX_BIN_DIR_DEFAULT) : env;
}

QString TestEnv::sourceDir() {
  const QString env = qEnvironmentVariable("RLX_SOURCE_DIR");
  return env.isEmpty() ? QStringLiteral(RLX_SOURCE_DIR_DEFAULT) : env;
}

}  // namespace testing_support
