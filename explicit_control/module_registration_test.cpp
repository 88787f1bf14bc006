#include "explicit_control/module_registration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "platform/registry.h"
#include "tests/support/test_env.h"

namespace {

using platform::Hive;
using platform::Registry;

const QString kModule = QStringLiteral("/opt/rlx/lib/libZEV_ActiveX.so");
const QString kClasses = QStringLiteral("SOFTWARE\\Classes\\");

QString valueOf(const QString& key, const QString& name = QString()) {
  const auto v = Registry::value(Hive::LocalMachine, kClasses + key, name);
  return v ? v->data : QStringLiteral("<missing>");
}

bool exists(const QString& key) { return Registry::keyExists(Hive::LocalMachine, kClasses + key); }

const QStringList kAllKeys = {"TypeLib\\{925CA275-F114-11D3-B069-00500414A3B8}",
                              "Interface\\{925CA276-F114-11D3-B069-00500414A3B8}",
                              "Interface\\{925CA277-F114-11D3-B069-00500414A3B8}",
                              "CLSID\\{925CA278-F114-11D3-B069-00500414A3B8}",
                              "ZEVACTIVEX.ZEVActiveXCtrl.1",
                              "CLSID\\{925CA279-F114-11D3-B069-00500414A3B8}",
                              "ZEVACTIVEX.ZEVActiveXPropPage.1"};

// The machine hive, refusing writes or deletes of keys that contain a marker.
class Refusing : public zev::RegistryWriter {
 public:
  Refusing(QString writeMarker, QString deleteMarker)
      : writeMarker_(std::move(writeMarker)), deleteMarker_(std::move(deleteMarker)) {}
  bool setValue(const QString& key, const QString& name, const QString& data) override {
    return !refused(key, writeMarker_) && zev::MachineRegistry().setValue(key, name, data);
  }
  bool createKey(const QString& key) override {
    return !refused(key, writeMarker_) && zev::MachineRegistry().createKey(key);
  }
  bool keyExists(const QString& key) override { return zev::MachineRegistry().keyExists(key); }
  bool deleteTree(const QString& key) override {
    return !refused(key, deleteMarker_) && zev::MachineRegistry().deleteTree(key);
  }

 private:
  static bool refused(const QString& key, const QString& marker) { return !marker.isEmpty() && key.contains(marker); }
  QString writeMarker_, deleteMarker_;
};

TEST(ModuleRegistration, WritesTheTypeLibraryInterfacesClassesAndProgIds) {
  testing_support::TestEnv env;
  ASSERT_EQ(zev::RegisterModule(kModule, zev::MachineRegistry()), zev::kS_OK);

  const QString lib = "TypeLib\\{925CA275-F114-11D3-B069-00500414A3B8}\\1.0";
  EXPECT_EQ(valueOf(lib), "ZEV_ActiveX ActiveX Control module");
  EXPECT_EQ(valueOf(lib + "\\0\\win32"), kModule);
  EXPECT_EQ(valueOf(lib + "\\HELPDIR"), "/opt/rlx/lib");
  const QString dispatch = "Interface\\{925CA276-F114-11D3-B069-00500414A3B8}";
  EXPECT_EQ(valueOf(dispatch), "_DZEV_ActiveX");
  EXPECT_EQ(valueOf(dispatch + "\\TypeLib"), "{925CA275-F114-11D3-B069-00500414A3B8}");
  EXPECT_EQ(valueOf(dispatch + "\\TypeLib", "Version"), "1.0");
  EXPECT_EQ(valueOf("Interface\\{925CA277-F114-11D3-B069-00500414A3B8}"), "_DZEV_ActiveXEvents");

  const QString ctl = "CLSID\\{925CA278-F114-11D3-B069-00500414A3B8}";
  EXPECT_EQ(valueOf(ctl), "ZEV_ActiveX Control");
  EXPECT_EQ(valueOf(ctl + "\\InprocServer32"), kModule);
  EXPECT_EQ(valueOf(ctl + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(valueOf(ctl + "\\ProgID"), "ZEVACTIVEX.ZEVActiveXCtrl.1");
  EXPECT_EQ(valueOf(ctl + "\\MiscStatus\\1"), QString::number(0x20591));
  EXPECT_EQ(valueOf(ctl + "\\ToolboxBitmap32"), kModule + ", 1");
  EXPECT_EQ(valueOf(ctl + "\\TypeLib"), "{925CA275-F114-11D3-B069-00500414A3B8}");
  EXPECT_TRUE(exists(ctl + "\\Control"));
  EXPECT_EQ(valueOf("ZEVACTIVEX.ZEVActiveXCtrl.1"), "ZEV_ActiveX Control");
  EXPECT_EQ(valueOf("ZEVACTIVEX.ZEVActiveXCtrl.1\\CLSID"), "{925CA278-F114-11D3-B069-00500414A3B8}");

  const QString page = "CLSID\\{925CA279-F114-11D3-B069-00500414A3B8}";
  EXPECT_EQ(valueOf(page), "ZEV_ActiveX Property Page");
  EXPECT_EQ(valueOf(page + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(valueOf("ZEVACTIVEX.ZEVActiveXPropPage.1\\CLSID"), "{925CA279-F114-11D3-B069-00500414A3B8}");
}

TEST(ModuleRegistration, UnregisterRemovesOnlyTheModulesKeysAndMayRunTwice) {
  testing_support::TestEnv env;
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, kClasses + "CLSID\\{OTHER}", "", "neighbour"));
  ASSERT_EQ(zev::RegisterModule(kModule, zev::MachineRegistry()), zev::kS_OK);
  EXPECT_EQ(zev::UnregisterModule(zev::MachineRegistry()), zev::kS_OK);
  for (const QString& k : kAllKeys)
    EXPECT_FALSE(exists(k)) << k.toStdString();
  EXPECT_EQ(valueOf("CLSID\\{OTHER}"), "neighbour");
  EXPECT_EQ(zev::UnregisterModule(zev::MachineRegistry()), zev::kS_OK);
}

TEST(ModuleRegistration, AnUnwritableHiveFailsWithTheTypeLibraryError) {
  testing_support::TestEnv env;
  QDir().mkpath(Registry::hiveFile(Hive::LocalMachine));  // a folder where the hive file belongs
  EXPECT_EQ(zev::RegisterModule(kModule, zev::MachineRegistry()), zev::kSELFREG_E_TYPELIB);
  EXPECT_EQ(static_cast<quint32>(zev::kSELFREG_E_TYPELIB), 0x80040200u);
}

TEST(ModuleRegistration, AClassThatCannotBeWrittenFailsWithTheClassError) {
  testing_support::TestEnv env;
  Refusing noClasses(QStringLiteral("\\CLSID\\"), QString());
  EXPECT_EQ(zev::RegisterModule(kModule, noClasses), zev::kSELFREG_E_CLASS);
  EXPECT_EQ(static_cast<quint32>(zev::kSELFREG_E_CLASS), 0x80040201u);
  EXPECT_TRUE(exists(kAllKeys[0]));  // the type library went in first

  // Unregistering stops at the first step that fails, in the same order.
  ASSERT_EQ(zev::RegisterModule(kModule, zev::MachineRegistry()), zev::kS_OK);
  Refusing keepTypeLib(QString(), QStringLiteral("\\TypeLib\\"));
  EXPECT_EQ(zev::UnregisterModule(keepTypeLib), zev::kSELFREG_E_TYPELIB);
  EXPECT_TRUE(exists(kAllKeys[0]));
  EXPECT_TRUE(exists(kAllKeys[3]));
  Refusing keepClasses(QString(), QStringLiteral("\\CLSID\\"));
  EXPECT_EQ(zev::UnregisterModule(keepClasses), zev::kSELFREG_E_CLASS);
  EXPECT_FALSE(exists(kAllKeys[0]));
  EXPECT_TRUE(exists(kAllKeys[3]));
}

TEST(ModuleRegistration, EntryPointsRegisterTheLoadedModule) {
  testing_support::TestEnv env;
  EXPECT_EQ(DllRegisterServer(), zev::kS_OK);
  EXPECT_EQ(QFileInfo(valueOf("CLSID\\{925CA278-F114-11D3-B069-00500414A3B8}\\InprocServer32")).canonicalFilePath(),
            QFileInfo(ZEV_ACTIVEX_MODULE).canonicalFilePath());
  EXPECT_EQ(DllUnregisterServer(), zev::kS_OK);
  EXPECT_FALSE(exists(kAllKeys[3]));
}

}  // namespace
