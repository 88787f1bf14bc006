#include "module_registration.h"

#include <dlfcn.h>

#include <QFileInfo>
#include <QStringList>
#include <initializer_list>

#include "platform/registry.h"
#include "platform/version_record.h"

RLX_VERSION_RECORD(
    "CompanyName=Zev Products Inc.\0FileDescription=ZEV_ActiveX ActiveX Control Module\0"
    "ProductName=ZEV_ActiveX ActiveX Control Module\0FileVersion=1.10\0ProductVersion=1.10\0"
    "InternalName=ZEV_ActiveX\0OLESelfRegister=");

namespace zev {

namespace {

class MachineHive : public RegistryWriter {
 public:
  bool setValue(const QString& key, const QString& name, const QString& data) override {
    return platform::Registry::setValue(platform::Hive::LocalMachine, key, name, data);
  }
  bool createKey(const QString& key) override {
    return platform::Registry::createKey(platform::Hive::LocalMachine, key);
  }
  bool keyExists(const QString& key) override {
    return platform::Registry::keyExists(platform::Hive::LocalMachine, key);
  }
  bool deleteTree(const QString& key) override {
    return platform::Registry::deleteTree(platform::Hive::LocalMachine, key);
  }
};

QString classesKey(std::initializer_list<QString> parts) {
  QStringList all{QString::fromLatin1(kClassesRoot)};
  for (const QString& p : parts)
    all << p;
  return all.join(u'\\');
}

QString L1(const char* s) { return QString::fromLatin1(s); }

// Writes every value; stops at the first that fails.
struct Writer {
  RegistryWriter& registry;
  bool ok = true;
  void set(const QString& key, const QString& name, const QString& data) {
    ok = ok && registry.setValue(key, name, data);
  }
  void key(const QString& key) { ok = ok && registry.createKey(key); }
};

bool registerInterface(Writer& w, const char* iid, const char* name) {
  const QString k = classesKey({QStringLiteral("Interface"), L1(iid)});
  w.set(k, QString(), L1(name));
  w.set(k + QStringLiteral("\\ProxyStubClsid"), QString(), L1(ids::kDispatchProxyStub));
  w.set(k + QStringLiteral("\\ProxyStubClsid32"), QString(), L1(ids::kDispatchProxyStub));
  w.set(k + QStringLiteral("\\TypeLib"), QString(), L1(ids::kTypeLibId));
  w.set(k + QStringLiteral("\\TypeLib"), QStringLiteral("Version"), L1(ids::kTypeLibVersion));
  return w.ok;
}

bool registerTypeLib(RegistryWriter& registry, const QString& modulePath) {
  Writer w{registry};
  const QString lib = classesKey({QStringLiteral("TypeLib"), L1(ids::kTypeLibId), L1(ids::kTypeLibVersion)});
  w.set(lib, QString(), L1(ids::kTypeLibHelpString));
  w.set(lib + QStringLiteral("\\0\\win32"), QString(), modulePath);
  w.set(lib + QStringLiteral("\\FLAGS"), QString(), QStringLiteral("0"));
  w.set(lib + QStringLiteral("\\HELPDIR"), QString(), QFileInfo(modulePath).absolutePath());
  registerInterface(w, ids::kDispatchIid, ids::kDispatchName);
  registerInterface(w, ids::kEventsIid, ids::kEventsName);
  return w.ok;
}

void registerServer(Writer& w, const char* clsid, const char* progId, const char* typeName, const QString& modulePath) {
  const QString k = classesKey({QStringLiteral("CLSID"), L1(clsid)});
  w.set(k, QString(), L1(typeName));
  w.set(k + QStringLiteral("\\InprocServer32"), QString(), modulePath);
  w.set(k + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel"), L1(ids::kThreadingModel));
  w.set(k + QStringLiteral("\\ProgID"), QString(), L1(progId));
  const QString prog = classesKey({L1(progId)});
  w.set(prog, QString(), L1(typeName));
  w.set(prog + QStringLiteral("\\CLSID"), QString(), L1(clsid));
}

bool registerClasses(RegistryWriter& registry, const QString& modulePath) {
  Writer w{registry};
  registerServer(w, ids::kControlClsid, ids::kControlProgId, ids::kControlTypeName, modulePath);
  const QString k = classesKey({QStringLiteral("CLSID"), L1(ids::kControlClsid)});
  w.key(k + QStringLiteral("\\Control"));
  w.set(k + QStringLiteral("\\MiscStatus"), QString(), QStringLiteral("0"));
  w.set(k + QStringLiteral("\\MiscStatus\\1"), QString(), QString::number(ids::kMiscStatus));
  w.set(k + QStringLiteral("\\ToolboxBitmap32"), QString(),
        QStringLiteral("%1, %2").arg(modulePath).arg(ids::kResourceId));
  w.set(k + QStringLiteral("\\TypeLib"), QString(), L1(ids::kTypeLibId));
  w.set(k + QStringLiteral("\\Version"), QString(), L1(ids::kTypeLibVersion));
  registerServer(w, ids::kPropPageClsid, ids::kPropPageProgId, ids::kPropPageTypeName, modulePath);
  return w.ok;
}

bool removeKeys(RegistryWriter& registry, std::initializer_list<QString> keys) {
  bool ok = true;
  for (const QString& k : keys)
    if (registry.keyExists(k) && !registry.deleteTree(k))
      ok = false;
  return ok;
}

}  // namespace

RegistryWriter& MachineRegistry() {
  static MachineHive hive;
  return hive;
}

QString ModulePath() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) && info.dli_fname)
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
  return QString();
}

HRESULT RegisterModule(const QString& modulePath, RegistryWriter& registry) {
  if (!registerTypeLib(registry, modulePath))
    return kSELFREG_E_TYPELIB;
  if (!registerClasses(registry, modulePath))
    return kSELFREG_E_CLASS;
  return kS_OK;
}

HRESULT UnregisterModule(RegistryWriter& registry) {
  if (!removeKeys(registry, {classesKey({QStringLiteral("TypeLib"), L1(ids::kTypeLibId)}),
                             classesKey({QStringLiteral("Interface"), L1(ids::kDispatchIid)}),
                             classesKey({QStringLiteral("Interface"), L1(ids::kEventsIid)})}))
    return kSELFREG_E_TYPELIB;
  if (!removeKeys(
          registry,
          {classesKey({QStringLiteral("CLSID"), L1(ids::kControlClsid)}), classesKey({L1(ids::kControlProgId)}),
           classesKey({QStringLiteral("CLSID"), L1(ids::kPropPageClsid)}), classesKey({L1(ids::kPropPageProgId)})}))
    return kSELFREG_E_CLASS;
  return kS_OK;
}

}  // namespace zev

extern "C" zev::HRESULT DllRegisterServer() { return zev::RegisterModule(zev::ModulePath(), zev::MachineRegistry()); }

extern "C" zev::HRESULT DllUnregisterServer() { return zev::UnregisterModule(zev::MachineRegistry()); }
