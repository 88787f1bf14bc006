#pragma once
// Process-wide state of the plug-in, shared by the automation objects and all
// windows. One instance per process (MMain), created empty at process start.

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QWidget;

namespace lns {
class ObjectServer;
class Network;
class System;
}  // namespace lns

class PlugInWindow;

// One command the plug-in serves and registers with LNS.
struct PlugInCommand {
  qint32 CommandId = 0;
  qint32 ObjectType = 0;
  QString PlugInName;
  QString CommandText;
  qint32 RegistrationScope = 0;
  QString ProgramId;
  QString TemplateName;
  QString LonMarkObjectName;
};

struct MMainState {
  qint16 DirectorCount = 0;
  std::shared_ptr<lns::ObjectServer> ObjectServer;  // the LcaOS control of fMain
  bool ServerOpenedByPlugIn = false;
  bool NetworkOpenedByPlugIn = false;
  std::shared_ptr<lns::Network> CurrentNetwork;
  std::shared_ptr<lns::System> CurrentSystem;
  QString CurrentNetworkName;
  // The remote network interface the Object Server was opened through; ""
  // when it works locally.
  QString OpenedNetworkInterface;
  std::array<PlugInCommand, 7> PlugInCommandTable;
  QStringList ObjectPath;

  // LonMark object names from the device resource language file.
  QString InternalModemObjectName;
  QString ExternalModem1ObjectName;
  QString ExternalModem2ObjectName;
  QString DirectoryObjectBaseName;
  QString DeviceLevelObjectName;
  QString ExternalModemBaseName;

  PlugInWindow* CurrentMainWindow = nullptr;
  quint8 ExplicitFamily = 0;
  bool AttachAbandoned = false;
  bool RegisterAllTemplates = false;
  bool DialControlsDisabled = false;
  bool DeviceOffline = false;
};

extern MMainState MMain;

// Places the window above all non-topmost windows (true) or returns it to the
// normal layer (false), keeping its position and size.
void SetTopmost(QWidget* window, bool onTop);

// The program's shutdown: closes what the plug-in opened and ends the program.
// The main window installs its close procedure here; until then the shutdown
// only ends the event loop.
void SetShutdownProcedure(std::function<void()> procedure);
void RunShutdown();
