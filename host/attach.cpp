#include "attach.h"

#include "host/automation_error.h"
#include "host/device_resources.h"
#include "host/mmain.h"
#include "host/plugin_window.h"
#include "platform/log_categories.h"
#include "platform/registry.h"
#include "platform/ui_services.h"

using namespace automation_errors;

namespace attach {

namespace {

// A member that answers nothing fails the way a missing item does.
template <class P>
P required(P p) {
  if (!p)
    throw lns::LnsError(lns::kErrNotFound, QStringLiteral("Object not found"));
  return p;
}

// A number written the classic way: a leading blank stands for the sign of a
// value that is not negative.
QString NumberWithSign(int n) { return n < 0 ? QString::number(n) : u' ' + QString::number(n); }

PlugInCommand Row(qint32 objectType, const QString& commandText, qint32 scope, const QString& programId,
                  const QString& templateName, const QString& lonMarkObjectName) {
  PlugInCommand row;
  row.CommandId = 13;
  row.ObjectType = objectType;
  row.PlugInName = QStringLiteral("RLX_Plug");
  row.CommandText = commandText;
  row.RegistrationScope = scope;
  row.ProgramId = programId;
  row.TemplateName = templateName;
  row.LonMarkObjectName = lonMarkObjectName;
  return row;
}

PlugInWindow& WindowFor(WindowId id) {
  PlugInWindow* window = Window(id);
  if (!window)  // this build has no such window: the command cannot be served
    throw AutomationError(kCommandNotSupported, kCommandNotSupportedText);
  return *window;
}

// What a director needs to know when the network did not open: the Object
// Server's reason, the database file tried, and where that choice came from.
// A director often runs with another environment than the plug-in, which the
// session bus started with the bus's own.
QString WhyNotOpened(const std::exception& e) {
  const auto* lnsError = dynamic_cast<const lns::LnsError*>(&e);
  QString why = lnsError ? lnsError->description() : QString::fromLocal8Bit(e.what());
  const QString database = MMain.ObjectServer ? MMain.ObjectServer->DatabaseLocation() : QString();
  const QString registry = QStringLiteral("registry ") + platform::Registry::rootFolder();
  if (database.isEmpty())
    why += QStringLiteral(". No database file could be tried (") + registry + QStringLiteral(")");
  else if (why.contains(database))
    why += QStringLiteral(" (") + registry + u')';
  else
    why += QStringLiteral(". Database tried: ") + database + QStringLiteral(" (") + registry + u')';
  return why + QStringLiteral(
                   ". The plug-in takes its environment (RLX_REGISTRY_ROOT, which names the registry and with it "
                   "the LonWorks path) from the D-Bus session bus that started it, not from the director; set it "
                   "there with dbus-update-activation-environment for the plug-in's next start");
}

class PointerScope {
 public:
  PointerScope() { platform::ui().setPointer(platform::Pointer::Hourglass); }
  ~PointerScope() { platform::ui().setPointer(platform::Pointer::Default); }
};

}  // namespace

void BuildPlugInCommandTable() {
  device_resources::LoadObjectNames();
  const QString lonMark = QStringLiteral("800060325b080932");
  const QString lonMarkTemplate = QStringLiteral("Rlxtlc32");
  auto& t = MMain.PlugInCommandTable;
  t[0] = Row(7, QStringLiteral("Configure RLX_Plug"), 3, lonMark, lonMarkTemplate, QString());
  t[1] =
      Row(28, QStringLiteral("Configure Internal Modem"), 4, lonMark, lonMarkTemplate, MMain.InternalModemObjectName);
  t[2] = Row(28, QStringLiteral("Configure External Modem ") + NumberWithSign(2), 4, lonMark, lonMarkTemplate,
             (MMain.ExternalModemBaseName + QStringLiteral(" #") + QString::number(2)).trimmed());
  t[3] = Row(28, QStringLiteral("Configure Directory ") + NumberWithSign(1), 4, lonMark, lonMarkTemplate,
             (MMain.DirectoryObjectBaseName + QStringLiteral(" #") + QString::number(1)).trimmed());
  t[4] = Row(28, QStringLiteral("Configure Directory ") + NumberWithSign(2), 4, lonMark, lonMarkTemplate,
             (MMain.DirectoryObjectBaseName + QStringLiteral(" #") + QString::number(2)).trimmed());
  t[5] = Row(28, QStringLiteral("Configure Device Globals"), 4, lonMark, lonMarkTemplate,
             QStringLiteral("Device Globals"));
  t[6] = Row(7, QStringLiteral("Configure Explicit RLX"), 3, QStringLiteral("524C580000000000"),
             QStringLiteral("rlxtlc20"), QString());
}

void OpenNetwork(const QString& name, const QString& networkInterfaceName) {
  PointerScope pointer;
  const QString cannot = kCannotOpenNetworkText + name;
  const bool wantRemote = !networkInterfaceName.isEmpty();
  // The network interface named in an error: it does not exist.
  const QString noInterface =
      cannot + QStringLiteral(": there is no network interface \"") + networkInterfaceName + QStringLiteral("\"");
  // The same network opened the same way (locally, or through the same
  // remote interface) is opened once; asked for another way, it switches.
  const bool sameWay = MMain.OpenedNetworkInterface == networkInterfaceName;
  if (name == MMain.CurrentNetworkName && MMain.NetworkOpenedByPlugIn && sameWay)
    return;
  // Switching closes what the server has open: never under a window that
  // shows a router of it.
  if (!sameWay && MMain.NetworkOpenedByPlugIn && AnyPlugInWindowVisible())
    throw AutomationError(
        kWindowState,
        cannot + (wantRemote ? QStringLiteral(" remotely") : QStringLiteral(" locally")) +
            QStringLiteral(": the plug-in is showing a router of a network open ") +
            (MMain.OpenedNetworkInterface.isEmpty() ? QStringLiteral("locally") : QStringLiteral("remotely")) +
            QStringLiteral("; close its window first"));
  try {
    lns::ObjectServer& server = *required(MMain.ObjectServer);
    if (server.remoteFlag() != wantRemote) {
      if (server.IsOpen()) {
        server.Close();
        MMain.ServerOpenedByPlugIn = false;
        // Closing the server closes the network it had open: should this
        // opening fail, the next one must not take it for open.
        MMain.NetworkOpenedByPlugIn = false;
      }
      server.setRemoteFlag(wantRemote);
    }
    if (!MMain.ServerOpenedByPlugIn) {
      if (server.IsOpen()) {
        server.Close();
        MMain.NetworkOpenedByPlugIn = false;
      }
      server.setSingleUserMode(false);
      server.Open();
      MMain.ServerOpenedByPlugIn = true;
    }
    if (wantRemote) {
      lns::NetworkInterfacePtr remote;
      try {
        remote = required(required(server.NetworkInterfaces())->Item(networkInterfaceName));
      } catch (const std::exception&) {
        throw AutomationError(kWindowState, noInterface);
      }
      server.setActiveRemoteNI(remote);
    }
    MMain.OpenedNetworkInterface = networkInterfaceName;

    // The new network replaces the current one only once it is open with its
    // system, so a failed opening leaves the state of the previous one whole.
    lns::NetworkPtr network = required(required(server.Networks())->Item(name));
    network->Open();
    const QString networkName = network->Name();
    lns::SystemPtr system = required(required(network->Systems())->Item(1));
    system->Open();
    MMain.CurrentNetwork = network;
    MMain.CurrentNetworkName = networkName;
    MMain.CurrentSystem = system;
    MMain.NetworkOpenedByPlugIn = true;
    system->SetEventInterval(200);
    qCDebug(platform::lcNetwork).noquote()
        << "opened the network" << networkName << "in the database" << server.DatabaseLocation()
        << (wantRemote ? QStringLiteral("remotely through ") + networkInterfaceName : QStringLiteral("locally"));
  } catch (const AutomationError& e) {
    qCDebug(platform::lcNetwork).noquote() << e.description();
    throw;
  } catch (const std::exception& e) {
    const QString description = cannot + QStringLiteral(": ") + WhyNotOpened(e);
    qCDebug(platform::lcNetwork).noquote() << description;
    throw AutomationError(kWindowState, description);
  }
}

void SplitPath(const QString& objectName) {
  // Works on positions rather than copies, so a long name with many
  // separators is split in one pass.
  QStringList& path = MMain.ObjectPath;
  path.clear();
  const QChar* d = objectName.constData();
  qsizetype pos = 0;
  qsizetype end = objectName.size();
  bool first = true;
  for (;;) {
    if (!first) {  // the rest after a separator is trimmed before it is cut again
      while (pos < end && d[pos].isSpace())
        ++pos;
      while (end > pos && d[end - 1].isSpace())
        --end;
    }
    first = false;
    const qsizetype slash = objectName.indexOf(u'/', pos);
    const bool last = slash < 0 || slash >= end;
    const qsizetype stop = last ? end : slash;
    if (stop == pos)
      return;  // an empty element ends the path
    path.append(objectName.mid(pos, stop - pos));
    if (last)
      return;
    pos = slash + 1;
  }
}

QString PathElement(int k) {
  const QStringList& path = MMain.ObjectPath;
  if (k < 1 || k > path.size())
    return QString();
  const QString& element = path.at(k - 1);
  const qsizetype colon = element.indexOf(u':');
  if (colon < 0)
    return element;
  const QString name = element.mid(colon + 1).trimmed();
  return name.isEmpty() ? element : name;
}

lns::ObjectPtr FindObject(qint32 objectType) {
  const int count = static_cast<int>(MMain.ObjectPath.size());
  try {
    lns::System& system = *required(MMain.CurrentSystem);
    if (objectType == 7) {
      lns::SubsystemPtr subsystem = required(required(system.Subsystems())->Item(PathElement(count - 1)));
      return required(subsystem->AppDevices())->Item(PathElement(count));
    }
    if (objectType == 28) {
      lns::SubsystemPtr subsystem = required(required(system.Subsystems())->Item(PathElement(count - 2)));
      lns::AppDevicePtr device = required(required(subsystem->AppDevices())->Item(PathElement(count - 1)));
      return required(required(device->Interface())->LonMarkObjects())->Item(PathElement(count));
    }
  } catch (const std::exception&) {
    // Not found: the caller reports it.
  }
  return nullptr;
}

bool IsDirectoryObject(lns::LonMarkObject& object) {
  try {
    return required(object.ConfigProperties())->Item(QStringLiteral("UCPT_DialString")) != nullptr;
  } catch (const std::exception&) {
    return false;
  }
}

bool IsRlxProgramId(const QString& programId) {
  // The explicit family's identifier ("RLX" in hexadecimal), or Zev
  // Products' manufacturer identifier and the RLX's device class in a
  // standard program identifier (format 8 or 9), of any model.
  if (programId.startsWith(QLatin1String("524C58"), Qt::CaseInsensitive))
    return true;
  return programId.size() == 16 && (programId.front() == u'8' || programId.front() == u'9') &&
         programId.mid(1, 9).compare(QLatin1String("00060325B"), Qt::CaseInsensitive) == 0;
}

void Attach(PlugInCommand& row, const lns::ObjectPtr& object) {
  if (!object)
    throw AutomationError(kObjectNotFound, kObjectNotFoundText);
  const QString path = MMain.ObjectPath.join(u'/');
  if (row.ObjectType == 28) {
    auto lonMarkObject = std::dynamic_pointer_cast<lns::LonMarkObject>(object);
    if (!lonMarkObject)
      throw AutomationError(kObjectNotFound, kObjectNotFoundText);
    const QString name = lonMarkObject->Name();
    const bool mainWindowObject = name == MMain.ExternalModem2ObjectName || name == MMain.ExternalModem1ObjectName ||
                                  name == MMain.InternalModemObjectName || name == QLatin1String("Device Globals");
    // Only a modem, "Device Globals" or a directory (an object with a
    // dial-string property) has a window; any other object is refused at once.
    if (!mainWindowObject && !IsDirectoryObject(*lonMarkObject)) {
      QString text = kObjectTypeNotSupportedText + QStringLiteral(": ") + path +
                     QStringLiteral(" is not a modem, directory or Device Globals object of an RLX router");
      if (MMain.InternalModemObjectName.isEmpty())
        text += QStringLiteral(
            " (the LonMark object names could not be read from the plug-in's language file "
            "Zev.enu; install the plug-in again with RLX_Plug /regplugin)");
      throw AutomationError(kObjectTypeNotSupported, text);
    }
    PlugInWindow& window = WindowFor(mainWindowObject ? WindowId::fMain : WindowId::fPhoneBook);
    MMain.CurrentMainWindow = &window;
    MMain.ExplicitFamily = 0;
    // A new attach: an earlier one the operator gave up no longer hides the window.
    MMain.AttachAbandoned = false;
    window.ProcessLonMarkObjectCommand(lonMarkObject, row);
  } else if (row.ObjectType == 7) {
    auto device = std::dynamic_pointer_cast<lns::AppDevice>(object);
    if (!device)
      throw AutomationError(kObjectNotFound, kObjectNotFoundText);
    const QString programId = device->ProgramId();
    const bool explicitFamily = programId.left(6) == QLatin1String("524C58");
    // A device that is no RLX router would only be asked, in vain, whether it answers.
    if (!IsRlxProgramId(programId))
      throw AutomationError(kObjectTypeNotSupported, kObjectTypeNotSupportedText + QStringLiteral(": ") + path +
                                                         QStringLiteral(" is not an RLX router (program identifier ") +
                                                         programId + u')');
    PlugInWindow& window = WindowFor(explicitFamily ? WindowId::fMainExplicit : WindowId::fMain);
    MMain.CurrentMainWindow = &window;
    MMain.ExplicitFamily = explicitFamily ? 1 : 0;
    MMain.AttachAbandoned = false;
    window.ProcessDeviceCommand(device, row);
  }
}

}  // namespace attach
