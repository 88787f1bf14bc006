#pragma once
// An in-memory LNS Object Server for tests of the code that opens networks
// and looks objects up: networks with their first system, subsystems,
// application devices with their LonMark objects, and network interfaces.
// Every call is written to a shared log, and any logged call can be made to
// fail with an LnsError. Members the attach code does not use fail with
// kErrNotFound.

#include <QSet>
#include <QStringList>
#include <memory>

#include "host/lns/lns.h"

namespace testing_support {

struct FakeLog {
  QStringList calls;
  // Calls (as logged) that throw LnsError(kErrDatabase, ...) when made.
  QSet<QString> failing;
  // While above 0 calls are neither logged nor failed (the fake's own lookups).
  int muted = 0;
  void hit(const QString& call);
  int count(const QString& call) const { return static_cast<int>(calls.count(call)); }
};
using FakeLogPtr = std::shared_ptr<FakeLog>;

template <class T, class Base = lns::Collection<T>>
class FakeCollection : public Base {
 public:
  FakeCollection(FakeLogPtr log, QString label) : log_(std::move(log)), label_(std::move(label)) {}
  qint32 Count() override { return static_cast<qint32>(items.size()); }
  std::shared_ptr<T> Item(qint32 index) override {
    log_->hit(label_ + QStringLiteral(".Item(") + QString::number(index) + u')');
    if (index < 1 || index > Count())
      throw lns::LnsError(lns::kErrNotFound, QStringLiteral("No item ") + QString::number(index));
    return items.at(index - 1);
  }
  std::shared_ptr<T> Item(const QString& name) override {
    log_->hit(label_ + QStringLiteral(".Item(") + name + u')');
    ++log_->muted;
    for (const auto& item : items)
      if (item->Name() == name) {
        --log_->muted;
        return item;
      }
    --log_->muted;
    throw lns::LnsError(lns::kErrNotFound, QStringLiteral("Object not found: ") + name);
  }
  QList<std::shared_ptr<T>> items;

 private:
  FakeLogPtr log_;
  QString label_;
};

class FakeLonMarkObject;
class FakeDevice;

class FakeNetworkInterface : public lns::NetworkInterface {
 public:
  explicit FakeNetworkInterface(QString name) : name_(std::move(name)) {}
  QString Name() override { return name_; }

 private:
  QString name_;
};

// A configuration property that only has a name (a directory's UCPT_DialString).
class FakeConfigProperty : public lns::ConfigProperty {
 public:
  explicit FakeConfigProperty(QString name) : name_(std::move(name)) {}
  QString Name() override { return name_; }
  QString Value() override { return QString(); }
  void SetValue(const QString&) override {}
  qint32 ElementCount() override { return 0; }
  QString Element(qint32) override { return QString(); }
  void SetElement(qint32, const QString&) override {}

 private:
  QString name_;
};

class FakeLonMarkObject : public lns::LonMarkObject {
 public:
  FakeLonMarkObject(FakeLogPtr log, QString name, qint32 index)
      : log_(std::move(log)), name_(std::move(name)), index_(index) {}
  QString DisplayName() override { return name_; }
  QString Name() override;
  qint32 Index() override { return index_; }
  lns::AppDevicePtr Device() override;
  std::shared_ptr<lns::ConfigProperties> ConfigProperties() override;
  std::shared_ptr<lns::NetworkVariables> NetworkVariables() override;
  lns::ComponentAppsPtr ComponentApps() override;
  std::weak_ptr<lns::AppDevice> device;

 private:
  FakeLogPtr log_;
  QString name_;
  qint32 index_;
};

class FakeInterface : public lns::DeviceInterface {
 public:
  explicit FakeInterface(FakeLogPtr log, const QString& device);
  std::shared_ptr<lns::NetworkVariables> NetworkVariables() override;
  std::shared_ptr<lns::LonMarkObjects> LonMarkObjects() override { return objects; }
  std::shared_ptr<FakeCollection<lns::LonMarkObject, lns::LonMarkObjects>> objects;
};

class FakeDevice : public lns::AppDevice {
 public:
  FakeDevice(FakeLogPtr log, QString name, QString programId, qint32 handle);
  QString Name() override { return name_; }
  qint32 Handle() override { return handle_; }
  lns::DeviceInterfacePtr Interface() override { return interface_; }
  lns::SubsystemPtr Subsystem() override { return subsystem.lock(); }
  QString ProgramId() override;
  std::shared_ptr<lns::ExtensionRecords> Extensions() override;
  QString NeuronId() override { return QStringLiteral("000000000001"); }
  void Test() override {}
  std::shared_ptr<FakeInterface> interface_;
  std::weak_ptr<lns::Subsystem> subsystem;

 private:
  FakeLogPtr log_;
  QString name_;
  QString programId_;
  qint32 handle_;
};

class FakeSubsystem : public lns::Subsystem {
 public:
  FakeSubsystem(FakeLogPtr log, QString name);
  QString Name() override { return name_; }
  std::shared_ptr<lns::AppDevices> AppDevices() override { return devices; }
  std::shared_ptr<FakeCollection<lns::AppDevice>> devices;

 private:
  QString name_;
};

class FakeSystem : public lns::System {
 public:
  FakeSystem(FakeLogPtr log, QString name);
  QString Name() override { return name_; }
  void Open() override;
  void SetEventInterval(qint32 ms) override;
  std::shared_ptr<lns::Subsystems> Subsystems() override { return subsystems; }
  qint32 MgmtMode() override { return mgmtMode; }
  qint32 DataServerHandle() override { return 1; }
  bool IsOpen() override;
  void Close() override;
  lns::DeviceTemplatesPtr DeviceTemplates() override;
  lns::ComponentAppsPtr ComponentApps() override;
  QString ImportDirectory() override { return QString(); }
  std::shared_ptr<FakeCollection<lns::Subsystem>> subsystems;
  bool open = false;
  qint32 mgmtMode = 0;

 private:
  FakeLogPtr log_;
  QString name_;
};

class FakeNetwork : public lns::Network {
 public:
  FakeNetwork(FakeLogPtr log, QString name);
  void Open() override;
  QString Name() override;
  std::shared_ptr<lns::Systems> Systems() override { return systems; }
  bool IsOpen() override;
  void Close() override;
  std::shared_ptr<FakeCollection<lns::System>> systems;
  bool open = false;

 private:
  FakeLogPtr log_;
  QString name_;
};

class FakeServer : public lns::ObjectServer {
 public:
  explicit FakeServer(FakeLogPtr log);
  bool remoteFlag() override;
  void setRemoteFlag(bool remote) override;
  bool IsOpen() override;
  void Open() override;
  void Close() override;
  void setSingleUserMode(bool single) override;
  std::shared_ptr<lns::NetworkInterfaces> NetworkInterfaces() override { return interfaces; }
  void setActiveRemoteNI(lns::NetworkInterfacePtr ni) override;
  lns::NetworkInterfacePtr ActiveRemoteNI() override { return activeNI; }
  std::shared_ptr<lns::Networks> Networks() override { return networks; }
  lns::ComponentAppsPtr componentApps() override;
  void setUpdateHandler(lns::UpdateHandler handler) override { updateHandler = std::move(handler); }
  // Transactions are counted, not kept apart: the fake has no database.
  void StartTransaction() override { ++transactionsStarted; }
  void CommitTransaction() override {}
  void CancelTransaction() override {}
  QString DatabaseLocation() override { return databaseLocation; }
  int transactionsStarted = 0;
  QString databaseLocation;  // "" : the fake cannot tell

  std::shared_ptr<FakeCollection<lns::NetworkInterface>> interfaces;
  std::shared_ptr<FakeCollection<lns::Network>> networks;
  lns::NetworkInterfacePtr activeNI;
  lns::UpdateHandler updateHandler;
  bool remote = false;
  bool open = false;
  bool singleUser = true;

 private:
  FakeLogPtr log_;
};

// A whole fake world: the server and the helpers that fill it.
struct FakeLns {
  FakeLns();
  FakeLogPtr log;
  std::shared_ptr<FakeServer> server;

  // A network with its first system (named like the network).
  std::shared_ptr<FakeNetwork> addNetwork(const QString& name);
  std::shared_ptr<FakeSubsystem> addSubsystem(const std::shared_ptr<FakeNetwork>& network, const QString& name);
  std::shared_ptr<FakeDevice> addDevice(const std::shared_ptr<FakeSubsystem>& subsystem, const QString& name,
                                        const QString& programId, const QStringList& objectNames = {});
  void addInterface(const QString& name);

  // The network "Demo" whose subsystem "Routers" holds "RLX-LonMark" (the
  // LonMark family with its seven objects) and "RLX-Explicit".
  static FakeLns Demo();
  static QStringList LonMarkObjectNames();
};

}  // namespace testing_support
