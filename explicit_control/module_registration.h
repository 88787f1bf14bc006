#pragma once
// The module's identities and its self-registration: the type library and
// its two interfaces, the control class and the property page class, with
// their ProgIDs, in the machine hive of the registry stand-in under
// "SOFTWARE\Classes" (where the home platform keeps HKEY_CLASSES_ROOT).

#include <QString>

#include "explicit_control/ole_control.h"

namespace zev {

namespace ids {
constexpr const char* kTypeLibId = "{925CA275-F114-11D3-B069-00500414A3B8}";
constexpr const char* kTypeLibName = "ZEV_ACTIVEXLib";
constexpr const char* kTypeLibVersion = "1.0";
constexpr const char* kTypeLibHelpString = "ZEV_ActiveX ActiveX Control module";
constexpr const char* kTypeLibHelpFile = "ZEV_ActiveX.hlp";

constexpr const char* kDispatchIid = "{925CA276-F114-11D3-B069-00500414A3B8}";
constexpr const char* kDispatchName = "_DZEV_ActiveX";
constexpr const char* kDispatchHelpString = "Dispatch interface for ZEV_ActiveX Control";
constexpr const char* kEventsIid = "{925CA277-F114-11D3-B069-00500414A3B8}";
constexpr const char* kEventsName = "_DZEV_ActiveXEvents";
constexpr const char* kEventsHelpString = "Event interface for ZEV_ActiveX Control";
// The marshaller of dispatch interfaces.
constexpr const char* kDispatchProxyStub = "{00020420-0000-0000-C000-000000000046}";

constexpr const char* kControlClsid = "{925CA278-F114-11D3-B069-00500414A3B8}";
constexpr const char* kControlProgId = "ZEVACTIVEX.ZEVActiveXCtrl.1";
constexpr const char* kControlTypeName = "ZEV_ActiveX Control";
constexpr const char* kControlHostName = "ZEV_ACTIVEXLib.ZEV_ActiveX";  // how the host names the class

constexpr const char* kPropPageClsid = "{925CA279-F114-11D3-B069-00500414A3B8}";
constexpr const char* kPropPageProgId = "ZEVACTIVEX.ZEVActiveXPropPage.1";
constexpr const char* kPropPageTypeName = "ZEV_ActiveX Property Page";

// Invisible at run time, activate when visible, set client site first,
// inside-out, cannot link inside, recompose on resize.
constexpr quint32 kMiscStatus = 0x20591;
constexpr const char* kThreadingModel = "Apartment";
constexpr int kResourceId = 1;  // toolbox bitmap and type name
}  // namespace ids

constexpr HRESULT kSELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT kSELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

constexpr const char* kClassesRoot = "SOFTWARE\\Classes";

// Where registration writes. Keys are relative to the machine hive.
class RegistryWriter {
 public:
  virtual ~RegistryWriter() = default;
  // Creates the key when needed; name empty for the key's default value.
  virtual bool setValue(const QString& key, const QString& name, const QString& data) = 0;
  virtual bool createKey(const QString& key) = 0;
  virtual bool keyExists(const QString& key) = 0;
  virtual bool deleteTree(const QString& key) = 0;
};

// The machine hive of the registry stand-in.
RegistryWriter& MachineRegistry();

// The file this module was loaded from.
QString ModulePath();

// Registers the type library, then the two classes. kSELFREG_E_TYPELIB when
// the type library's keys cannot be written, kSELFREG_E_CLASS when a class's
// cannot.
HRESULT RegisterModule(const QString& modulePath, RegistryWriter& registry);
// Removes the same keys in the same order, with the same two errors. Keys
// that are already gone are not an error.
HRESULT UnregisterModule(RegistryWriter& registry);

}  // namespace zev

// The module's self-registration entry points, for a registration tool that
// loads the module and looks them up by name.
extern "C" zev::HRESULT DllRegisterServer();
extern "C" zev::HRESULT DllUnregisterServer();
