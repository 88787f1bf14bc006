#pragma once
// The plug-in's typed view of the LNS Object Server: every member the plug-in
// uses, in one place. Each member names the automation member a COM binding
// would call: by name where the plug-in calls it by name ("remoteFlag",
// "AppDevices"), otherwise by its dispatch identifier ([16], [55], ...).
//
// Every member may fail; failures are LnsError exceptions carrying a number
// and a description, the way a late-bound call raises. A lookup by name that
// finds nothing throws: that is how the plug-in learns that an object or an
// extension record is missing.

#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

namespace lns {

class LnsError : public std::runtime_error {
 public:
  LnsError(qint32 number, const QString& description)
      : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
  qint32 number() const { return number_; }
  const QString& description() const { return description_; }

 private:
  qint32 number_;
  QString description_;
};

// Error numbers the Object Server raises.
enum ErrorNumber : qint32 {
  kErrNotFound = 4017,          // no item of that name, index or identifier
  kErrNotOpen = 4018,           // the server, network or system is not open
  kErrDeviceNoResponse = 4030,  // a read or write did not reach the device
  kErrInvalidValue = 4031,      // a value that the variable or property cannot hold
  kErrIndexRange = 4032,        // array element out of range
  kErrDatabase = 4050,          // the network database cannot be read or written
  kErrNameInUse = 4060,         // an item of that name exists already
  kErrImport = 4070,            // an external interface file cannot be imported
  kErrTransaction = 4080,       // a transaction is already pending, or none is
};

class LnsObject {
 public:
  virtual ~LnsObject() = default;
};
using ObjectPtr = std::shared_ptr<LnsObject>;

class NetworkInterface;
class Network;
class System;
class Subsystem;
class AppDevice;
class DeviceInterface;
class LonMarkObject;
class NetworkVariable;
class ConfigProperty;
class ExtensionRecord;
class DeviceTemplate;
class ComponentApp;
template <class T>
class Collection;

using NetworkInterfacePtr = std::shared_ptr<NetworkInterface>;
using NetworkPtr = std::shared_ptr<Network>;
using SystemPtr = std::shared_ptr<System>;
using SubsystemPtr = std::shared_ptr<Subsystem>;
using AppDevicePtr = std::shared_ptr<AppDevice>;
using DeviceInterfacePtr = std::shared_ptr<DeviceInterface>;
using LonMarkObjectPtr = std::shared_ptr<LonMarkObject>;
using NetworkVariablePtr = std::shared_ptr<NetworkVariable>;
using ConfigPropertyPtr = std::shared_ptr<ConfigProperty>;
using ExtensionRecordPtr = std::shared_ptr<ExtensionRecord>;
using DeviceTemplatePtr = std::shared_ptr<DeviceTemplate>;
using ComponentAppPtr = std::shared_ptr<ComponentApp>;

// A collection reached with "Item" (by name or by 1-based number) and "Count".
template <class T>
class Collection : public LnsObject {
 public:
  virtual qint32 Count() = 0;
  // Item(n), n from 1 to Count(); throws kErrNotFound outside that range.
  virtual std::shared_ptr<T> Item(qint32 index) = 0;
  // Item(name): exact, case-sensitive match; throws kErrNotFound when absent.
  virtual std::shared_ptr<T> Item(const QString& name) = 0;
};

using NetworkInterfaces = Collection<NetworkInterface>;
using Networks = Collection<Network>;
using Systems = Collection<System>;
using Subsystems = Collection<Subsystem>;
using AppDevices = Collection<AppDevice>;
using NetworkVariables = Collection<NetworkVariable>;
using ConfigProperties = Collection<ConfigProperty>;

class NetworkInterface : public LnsObject {
 public:
  virtual QString Name() = 0;  // "Name"
};

// The extension records kept in the network database for a device.
class ExtensionRecords : public LnsObject {
 public:
  // "Item" by name; throws kErrNotFound when the device has no such record.
  virtual ExtensionRecordPtr Item(const QString& name) = 0;
  // [4] adds a record with empty fields; throws kErrNameInUse when it exists.
  virtual ExtensionRecordPtr Add(const QString& name) = 0;
  virtual qint32 Count() = 0;
  virtual ExtensionRecordPtr Item(qint32 index) = 0;  // 1-based, in creation order
};

class ExtensionRecord : public LnsObject {
 public:
  virtual QString Name() = 0;
  // Text fields 1, 2 and 3 are the record's members [4], [5] and [6].
  virtual QString Field(int n) = 0;
  virtual void SetField(int n, const QString& text) = 0;
};

class ComponentApps : public Collection<ComponentApp> {
 public:
  // [5] adds a component application; throws kErrNameInUse for a taken name.
  virtual ComponentAppPtr Add(const QString& name, const QString& progId, qint32 objectType) = 0;
};
using ComponentAppsPtr = std::shared_ptr<ComponentApps>;

// A command that a director offers for objects of one type and starts through
// an automation program identifier.
class ComponentApp : public LnsObject {
 public:
  virtual QString Name() = 0;
  virtual QString ProgramId() = 0;          // [2] the automation program identifier
  virtual qint32 ObjectType() = 0;          // [3]
  virtual qint32 CommandCode() = 0;         // [7]
  virtual void SetCommandCode(qint32) = 0;  // [7]
  virtual QString CommandText() = 0;        // [5]
  virtual void SetCommandText(const QString&) = 0;
  virtual QString Version() = 0;  // [9]
  virtual void SetVersion(const QString&) = 0;
  virtual QString ManufacturerId() = 0;  // [10]
  virtual void SetManufacturerId(const QString&) = 0;
  virtual bool DefaultAction() = 0;  // [6]
  virtual void SetDefaultAction(bool) = 0;
};

class NetworkVariable : public LnsObject {
 public:
  virtual QString Name() = 0;
  // [20] the value as text. A read asks the device and throws
  // kErrDeviceNoResponse when it does not answer; a write reaches the device.
  virtual QString Value() = 0;
  virtual void SetValue(const QString& text) = 0;
};

class ConfigProperty : public LnsObject {
 public:
  virtual QString Name() = 0;
  virtual QString Value() = 0;                                     // [5] the value as text
  virtual void SetValue(const QString& text) = 0;                  // [5]
  virtual qint32 ElementCount() = 0;                               // [2]
  virtual QString Element(qint32 index) = 0;                       // [17] element index, from 0
  virtual void SetElement(qint32 index, const QString& text) = 0;  // [16]
};

class LonMarkObject : public LnsObject {
 public:
  virtual QString DisplayName() = 0;  // [2] the name for display
  virtual QString Name() = 0;         // [13]
  virtual qint32 Index() = 0;         // the object's index in the device interface
  // [5], then Parent, then Parent: the device that owns the object.
  virtual AppDevicePtr Device() = 0;
  virtual std::shared_ptr<lns::ConfigProperties> ConfigProperties() = 0;  // [10]
  virtual std::shared_ptr<lns::NetworkVariables> NetworkVariables() = 0;  // [11]
  // "componentApps": the commands registered for this object of a device
  // template (scope 4). Objects of devices have none and throw.
  virtual ComponentAppsPtr ComponentApps() = 0;
};

class LonMarkObjects : public Collection<LonMarkObject> {};

class DeviceInterface : public LnsObject {
 public:
  virtual std::shared_ptr<lns::NetworkVariables> NetworkVariables() = 0;  // [1]
  // [3]: Count is [1], Item by number is [4]; also "LonMarkObjects" by name.
  virtual std::shared_ptr<lns::LonMarkObjects> LonMarkObjects() = 0;
};

class AppDevice : public LnsObject {
 public:
  virtual QString Name() = 0;                                       // [1], also "Name"
  virtual qint32 Handle() = 0;                                      // [8]
  virtual DeviceInterfacePtr Interface() = 0;                       // [9], also "Interface"
  virtual SubsystemPtr Subsystem() = 0;                             // [10] the subsystem that holds the device
  virtual QString ProgramId() = 0;                                  // [12] 16 hexadecimal digits
  virtual std::shared_ptr<lns::ExtensionRecords> Extensions() = 0;  // [23]
  virtual QString NeuronId() = 0;                                   // "NeuronId": 12 hexadecimal digits, upper case
  // "Test": asks the device to answer; throws kErrDeviceNoResponse while it
  // cannot (the LonMark reboot waits on this).
  virtual void Test() = 0;
};

class Subsystem : public LnsObject {
 public:
  virtual QString Name() = 0;
  virtual std::shared_ptr<lns::AppDevices> AppDevices() = 0;  // "AppDevices"
};

class DeviceTemplates : public LnsObject {
 public:
  virtual qint32 Count() = 0;
  virtual DeviceTemplatePtr Item(qint32 index) = 0;  // 1-based
  // [6] the template with that program identifier; throws kErrNotFound.
  virtual DeviceTemplatePtr ItemByProgramId(const QString& programId) = 0;
  // [7] the template with that name; nullptr when there is none.
  virtual DeviceTemplatePtr ItemByName(const QString& name) = 0;
  // [4] (name, 1) adds an empty template; throws kErrNameInUse.
  virtual DeviceTemplatePtr Add(const QString& name, qint32 flags) = 0;
};
using DeviceTemplatesPtr = std::shared_ptr<DeviceTemplates>;

class DeviceTemplate : public LnsObject {
 public:
  virtual QString Name() = 0;
  virtual void SetName(const QString& name) = 0;  // [1]
  virtual QString ProgramId() = 0;
  // [26] imports an external interface file; throws kErrImport with the reason.
  virtual void ImportXif(const QString& path) = 0;
  virtual ComponentAppsPtr ComponentApps() = 0;  // [16] scope 3
  virtual DeviceInterfacePtr Interface() = 0;    // [15]
};

class System : public LnsObject {
 public:
  virtual QString Name() = 0;
  virtual void Open() = 0;                                    // [55] called right after the system is taken
  virtual void SetEventInterval(qint32 ms) = 0;               // [60] called with 200 at the end of the opening
  virtual std::shared_ptr<lns::Subsystems> Subsystems() = 0;  // [9]
  virtual qint32 MgmtMode() = 0;                              // [5] 0 on-net, 1 off-net
  virtual qint32 DataServerHandle() = 0;                      // [24]
  virtual bool IsOpen() = 0;                                  // [39]
  virtual void Close() = 0;                                   // [56]
  virtual DeviceTemplatesPtr DeviceTemplates() = 0;           // [10], then "deviceTemplates"
  virtual ComponentAppsPtr ComponentApps() = 0;               // [17] scope 2
  virtual QString ImportDirectory() = 0;                      // [33] where external interface files are looked for
};

class Network : public LnsObject {
 public:
  virtual void Open() = 0;                              // [16] called right after the network is taken
  virtual QString Name() = 0;                           // [2]
  virtual std::shared_ptr<lns::Systems> Systems() = 0;  // [1] Item(1) is the first system
  virtual bool IsOpen() = 0;                            // [8]
  virtual void Close() = 0;                             // [15]
};

// The update event's arguments: a code (1: a monitored value may have
// changed), a value and the object concerned.
using UpdateHandler = std::function<void(qint32 code, const QString& value, ObjectPtr object)>;

// The Object Server (the "LcaOS" control of the main window).
class ObjectServer : public LnsObject {
 public:
  virtual bool remoteFlag() = 0;  // "remoteFlag"
  virtual void setRemoteFlag(bool remote) = 0;
  virtual bool IsOpen() = 0;                                                // "IsOpen"
  virtual void Open() = 0;                                                  // "Open", with the current settings
  virtual void Close() = 0;                                                 // "Close"
  virtual void setSingleUserMode(bool single) = 0;                          // "SingleUserMode"
  virtual std::shared_ptr<lns::NetworkInterfaces> NetworkInterfaces() = 0;  // "NetworkInterfaces"
  virtual void setActiveRemoteNI(NetworkInterfacePtr ni) = 0;               // "ActiveRemoteNI"
  virtual NetworkInterfacePtr ActiveRemoteNI() = 0;
  virtual std::shared_ptr<lns::Networks> Networks() = 0;  // "Networks"
  virtual ComponentAppsPtr componentApps() = 0;           // "componentApps", scope 1
  // The control's update event. One handler; setting another replaces it.
  virtual void setUpdateHandler(UpdateHandler handler) = 0;

  // Transactions ("StartTransaction", "CommitTransaction", "CancelTransaction"):
  // the database changes made between the start and the commit are kept
  // together or not at all. Cancelling, closing the server, or the program
  // ending before the commit drops them. One transaction at a time: starting
  // a second one, or committing or cancelling without one, throws
  // kErrTransaction. Values sent to devices meanwhile are not taken back.
  virtual void StartTransaction() = 0;
  virtual void CommitTransaction() = 0;
  virtual void CancelTransaction() = 0;

  // Where the server keeps (or, not yet open, would look for) its network
  // database, for reports to the operator; "" when it cannot tell. Not a
  // member of the automation interface; never throws.
  virtual QString DatabaseLocation() { return QString(); }
};
using ObjectServerPtr = std::shared_ptr<ObjectServer>;

}  // namespace lns
