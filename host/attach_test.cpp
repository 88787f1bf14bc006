#include "host/attach.h"

#include <gtest/gtest.h>

#include "host/automation_error.h"
#include "platform/registry.h"
#include "tests/support/plugin_fixture.h"

using testing_support::FakeWindow;
using testing_support::PlugInFixture;
using testing_support::scriptedUi;

namespace {

class Attach : public PlugInFixture {
 protected:
  // The automation error an operation raises; number 0 when it raises none.
  template <class F>
  static AutomationError Raised(F&& f) {
    try {
      f();
    } catch (const AutomationError& e) {
      return e;
    }
    return AutomationError(0, QString());
  }
  PlugInCommand& row(int r) { return MMain.PlugInCommandTable[r]; }
};

TEST_F(Attach, CommandTableRowsAndNamesFromTheLanguageFile) {
  WriteLanguageFile("9=Modem In\n10=Modem Out #1\n7=Modem Out #2\n8=Book\n96=Book #1\n");
  attach::BuildPlugInCommandTable();
  EXPECT_EQ(MMain.InternalModemObjectName, "Modem In");

  const auto& t = MMain.PlugInCommandTable;
  const QStringList texts = {"Configure RLX_Plug",     "Configure Internal Modem", "Configure External Modem  2",
                             "Configure Directory  1", "Configure Directory  2",   "Configure Device Globals",
                             "Configure Explicit RLX"};
  const QStringList objects = {"", "Modem In", "Modem Out #2", "Book #1", "Book #2", "Device Globals", ""};
  const QList<int> types = {7, 28, 28, 28, 28, 28, 7};
  for (int r = 0; r < 7; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(t[r].CommandId, 13);
    EXPECT_EQ(t[r].PlugInName, "RLX_Plug");
    EXPECT_EQ(t[r].CommandText, texts[r]);
    EXPECT_EQ(t[r].LonMarkObjectName, objects[r]);
    EXPECT_EQ(t[r].ObjectType, types[r]);
    EXPECT_EQ(t[r].RegistrationScope, types[r] == 7 ? 3 : 4);
    EXPECT_EQ(t[r].ProgramId, r == 6 ? "524C580000000000" : "800060325b080932");
    EXPECT_EQ(t[r].TemplateName, r == 6 ? "rlxtlc20" : "Rlxtlc32");
  }
}

TEST_F(Attach, CommandTableWithoutBaseNamesTrimsTheObjectNames) {
  WriteLanguageFile("9=Int\n");  // no external modem or directory names
  attach::BuildPlugInCommandTable();
  EXPECT_EQ(row(1).LonMarkObjectName, "Int");
  EXPECT_EQ(row(2).LonMarkObjectName, "#2");
  EXPECT_EQ(row(3).LonMarkObjectName, "#1");
  EXPECT_EQ(row(4).LonMarkObjectName, "#2");
}

TEST_F(Attach, SplitPathCutsAtSeparatorsAndStopsAtTheFirstEmptyElement) {
  struct Case {
    QString name;
    QStringList path;
  };
  const QList<Case> cases = {
      {"Routers/RLX-LonMark", {"Routers", "RLX-LonMark"}},
      {"Routers/RLX-LonMark/Internal Modem", {"Routers", "RLX-LonMark", "Internal Modem"}},
      {"RLX", {"RLX"}},
      {"", {}},
      {"A//B", {"A"}},   // two adjacent separators end the path
      {"A/ /B", {"A"}},  // so does a blank element, once trimmed
      {"/A", {}},
      {"////", {}},
      {"A/", {"A"}},
      {" A / B ", {" A ", "B"}},  // the first element is not trimmed, the rest is
      {"A/B / C", {"A", "B ", "C"}},
      {"::/::", {"::", "::"}},
  };
  for (const Case& c : cases) {
    attach::SplitPath(c.name);
    EXPECT_EQ(MMain.ObjectPath, c.path) << c.name.toStdString();
  }
}

TEST_F(Attach, SplitPathOfAMegabyteNameIsOnePass) {
  QString name;
  for (int i = 0; i < 350'000; ++i)
    name += QStringLiteral("ab/");
  attach::SplitPath(name);
  EXPECT_EQ(MMain.ObjectPath.size(), 350'000);
  EXPECT_EQ(MMain.ObjectPath.last(), "ab");
}

TEST_F(Attach, ElementLookupUsesTheNameAfterAColon) {
  MMain.ObjectPath = {"Net: Routers", "name:", "a:b: c", "x:  ", "plain"};
  EXPECT_EQ(attach::PathElement(1), "Routers");
  EXPECT_EQ(attach::PathElement(2), "name:");  // nothing after the colon: the whole element
  EXPECT_EQ(attach::PathElement(3), "b: c");   // only the first colon counts
  EXPECT_EQ(attach::PathElement(4), "x:  ");
  EXPECT_EQ(attach::PathElement(5), "plain");
  EXPECT_EQ(attach::PathElement(0), "");
  EXPECT_EQ(attach::PathElement(6), "");
  EXPECT_EQ(attach::PathElement(-1), "");
}

TEST_F(Attach, FindObjectByDeviceAndLonMarkPaths) {
  OpenDemoDirectly();
  auto find = [](const QString& path, qint32 type) {
    attach::SplitPath(path);
    return attach::FindObject(type);
  };
  auto device = std::dynamic_pointer_cast<lns::AppDevice>(find("Routers/RLX-LonMark", 7));
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Name(), "RLX-LonMark");
  // Only the last elements count: a longer path names the same device.
  EXPECT_TRUE(find("Site/Routers/RLX-Explicit", 7));
  EXPECT_TRUE(find("Subsystem: Routers/Device: RLX-LonMark", 7));
  auto object = std::dynamic_pointer_cast<lns::LonMarkObject>(find("Routers/RLX-LonMark/Internal Modem", 28));
  ASSERT_TRUE(object);
  EXPECT_EQ(object->Name(), "Internal Modem");

  EXPECT_FALSE(find("RLX-LonMark", 7));  // fewer than two elements
  EXPECT_FALSE(find("Routers/RLX-Missing", 7));
  EXPECT_FALSE(find("routers/RLX-LonMark", 7));  // exact, case-sensitive
  EXPECT_FALSE(find("Routers/RLX-LonMark/Nothing", 28));
  EXPECT_FALSE(find("Routers/RLX-LonMark", 28));
  EXPECT_FALSE(find("Routers/RLX-LonMark", 5));
  EXPECT_FALSE(find("", 7));

  lns_.log->failing << "Subsystems(Demo).Item(Routers)";
  EXPECT_FALSE(find("Routers/RLX-LonMark", 7));  // LNS errors are not passed on
  MMain.CurrentSystem.reset();
  EXPECT_FALSE(find("Routers/RLX-LonMark", 7));
}

TEST_F(Attach, DeviceFamilyComesFromTheProgramIdentifier) {
  OpenDemoDirectly();
  attach::BuildPlugInCommandTable();
  attach::SplitPath("Routers/RLX-Explicit");
  attach::Attach(row(0), attach::FindObject(7));
  FakeWindow* explicitWindow = existing(WindowId::fMainExplicit);
  ASSERT_TRUE(explicitWindow);
  ASSERT_EQ(explicitWindow->opens.size(), 1u);
  const auto& call = explicitWindow->opens[0];
  EXPECT_EQ(call.operation, "ProcessDeviceCommand");
  EXPECT_EQ(call.row, &row(0));                       // row 0, by reference, although the device is explicit
  EXPECT_EQ(call.currentMainWindow, explicitWindow);  // set before the window's operation ran
  EXPECT_EQ(call.explicitFamily, 1);
  EXPECT_EQ(existing(WindowId::fMain), nullptr);

  attach::SplitPath("Routers/RLX-LonMark");
  attach::Attach(row(0), attach::FindObject(7));
  FakeWindow* main = existing(WindowId::fMain);
  ASSERT_TRUE(main);
  ASSERT_EQ(main->opens.size(), 1u);
  EXPECT_EQ(main->opens[0].currentMainWindow, main);
  EXPECT_EQ(main->opens[0].explicitFamily, 0);
  EXPECT_EQ(MMain.CurrentMainWindow, main);

  // "524C58" must stand exactly at the start.
  auto routers = std::static_pointer_cast<testing_support::FakeSubsystem>(
      MMain.CurrentSystem->Subsystems()->Item(QStringLiteral("Routers")));
  lns_.addDevice(routers, "Lower", "524c580000000000");
  lns_.addDevice(routers, "Short", "524C5");
  attach::SplitPath(QStringLiteral("Routers/Lower"));
  attach::Attach(row(0), attach::FindObject(7));
  EXPECT_EQ(MMain.CurrentMainWindow, main);
  EXPECT_EQ(main->opens.size(), 2u);
  // No RLX router at all: refused at once, naming the device; no window opens.
  attach::SplitPath(QStringLiteral("Routers/Short"));
  const AutomationError e = Raised([&] { attach::Attach(row(0), attach::FindObject(7)); });
  EXPECT_EQ(e.number(), 20004);
  EXPECT_EQ(e.description(),
            "Object type not supported for this command: Routers/Short is not an RLX router "
            "(program identifier 524C5)");
  EXPECT_EQ(main->opens.size(), 2u);
}

TEST_F(Attach, LonMarkObjectsOpenTheMainWindowOrThePhonebook) {
  OpenDemoDirectly();
  attach::BuildPlugInCommandTable();
  MMain.ExplicitFamily = 1;  // left from an explicit device
  struct Case {
    QString object;
    WindowId window;
  };
  const QList<Case> cases = {{"Internal Modem", WindowId::fMain},    {"External Modem #1", WindowId::fMain},
                             {"External Modem #2", WindowId::fMain}, {"Device Globals", WindowId::fMain},
                             {"Directory #1", WindowId::fPhoneBook}, {"Directory #2", WindowId::fPhoneBook}};
  for (const Case& c : cases) {
    attach::SplitPath(QStringLiteral("Routers/RLX-LonMark/") + c.object);
    attach::Attach(row(1), attach::FindObject(28));
    FakeWindow* w = existing(c.window);
    ASSERT_TRUE(w) << c.object.toStdString();
    EXPECT_EQ(MMain.CurrentMainWindow, w) << c.object.toStdString();
    const auto& call = w->opens.back();
    EXPECT_EQ(call.operation, "ProcessLonMarkObjectCommand");
    EXPECT_EQ(call.objectName, c.object);
    EXPECT_EQ(call.currentMainWindow, w);
    EXPECT_EQ(call.explicitFamily, 0);
    EXPECT_EQ(call.row, &row(1));
  }
  // An object that is no modem, directory (it has no dial strings) or globals
  // object has no window: refused at once.
  attach::SplitPath(QStringLiteral("Routers/RLX-LonMark/Node Object"));
  const AutomationError e = Raised([&] { attach::Attach(row(1), attach::FindObject(28)); });
  EXPECT_EQ(e.number(), 20004);
  EXPECT_TRUE(e.description().contains("Routers/RLX-LonMark/Node Object is not a modem, directory or Device Globals"));
  EXPECT_EQ(existing(WindowId::fPhoneBook)->opens.size(), 2u);
}

TEST_F(Attach, NothingFoundRaisesObjectNotFound) {
  attach::BuildPlugInCommandTable();
  const AutomationError e = Raised([&] { attach::Attach(row(0), nullptr); });
  EXPECT_EQ(e.number(), 20005);
  EXPECT_EQ(e.source(), "RLX_Plug");
  EXPECT_EQ(e.description(), "Object not found");
  EXPECT_EQ(MMain.CurrentMainWindow, nullptr);
}

TEST_F(Attach, AWindowMissingFromTheBuildRaisesCommandNotSupported) {
  OpenDemoDirectly();
  attach::BuildPlugInCommandTable();
  testing_support::FakeWindows::unregister(WindowId::fPhoneBook);
  attach::SplitPath("Routers/RLX-LonMark/Directory #1");
  EXPECT_EQ(Raised([&] { attach::Attach(row(3), attach::FindObject(28)); }).number(), 20003);
  EXPECT_EQ(MMain.CurrentMainWindow, nullptr);
}

TEST_F(Attach, OpeningANetworkMakesTheLnsCallsInOrderAndOnlyOnce) {
  MMain.ObjectServer = lns_.server;
  attach::OpenNetwork("Demo", "");
  const QStringList expected = {"Server.remoteFlag",           "Server.IsOpen",
                                "Server.setSingleUserMode(0)", "Server.Open",
                                "Networks.Item(Demo)",         "Network(Demo).Open",
                                "Network(Demo).Name",          "Systems(Demo).Item(1)",
                                "System(Demo).Open",           "System(Demo).SetEventInterval(200)"};
  EXPECT_EQ(lns_.log->calls, expected);
  EXPECT_TRUE(MMain.ServerOpenedByPlugIn);
  EXPECT_TRUE(MMain.NetworkOpenedByPlugIn);
  EXPECT_EQ(MMain.CurrentNetworkName, "Demo");
  EXPECT_EQ(MMain.CurrentSystem, lns_.server->networks->items[0]->Systems()->Item(1));
  EXPECT_EQ(scriptedUi().pointerHistory(),
            (QList<platform::Pointer>{platform::Pointer::Hourglass, platform::Pointer::Default}));

  lns_.log->calls.clear();
  attach::OpenNetwork("Demo", "");
  EXPECT_TRUE(lns_.log->calls.isEmpty()) << lns_.log->calls.join(", ").toStdString();

  // Another network: the server stays open.
  lns_.addNetwork("Plant");
  attach::OpenNetwork("Plant", "");
  EXPECT_EQ(lns_.log->count("Server.Open"), 0);
  EXPECT_EQ(MMain.CurrentNetworkName, "Plant");

  // The same network asked for through a remote interface is opened again
  // remotely, not taken for open; an interface that does not exist is named.
  lns_.addInterface("NI-1");
  attach::OpenNetwork("Plant", "NI-1");
  EXPECT_TRUE(lns_.server->remote);
  EXPECT_EQ(lns_.log->count("Network(Plant).Open"), 2);
  const AutomationError e = Raised([] { attach::OpenNetwork("Plant", "NI-2"); });
  EXPECT_EQ(e.description(), "Cannot open the network Plant: there is no network interface \"NI-2\"");
}

TEST_F(Attach, InterfaceNameSwitchesTheServerBetweenRemoteAndLocal) {
  lns_.addInterface("NI-1");
  lns_.addNetwork("Plant");
  MMain.ObjectServer = lns_.server;
  attach::OpenNetwork("Demo", "");
  lns_.log->calls.clear();

  attach::OpenNetwork("Plant", "NI-1");
  EXPECT_EQ(
      lns_.log->calls.mid(0, 8),
      (QStringList{"Server.remoteFlag", "Server.IsOpen", "Server.Close", "Server.setRemoteFlag(1)", "Server.IsOpen",
                   "Server.setSingleUserMode(0)", "Server.Open", "NetworkInterfaces.Item(NI-1)"}));
  EXPECT_TRUE(lns_.server->remote);
  ASSERT_TRUE(lns_.server->activeNI);
  EXPECT_EQ(lns_.server->activeNI->Name(), "NI-1");

  // An empty interface name with the server remote: closed, made local, reopened.
  lns_.log->calls.clear();
  attach::OpenNetwork("Demo", "");
  EXPECT_EQ(lns_.log->calls.mid(0, 7),
            (QStringList{"Server.remoteFlag", "Server.IsOpen", "Server.Close", "Server.setRemoteFlag(0)",
                         "Server.IsOpen", "Server.setSingleUserMode(0)", "Server.Open"}));
  EXPECT_FALSE(lns_.server->remote);
  EXPECT_TRUE(lns_.server->open);
  EXPECT_EQ(MMain.CurrentNetworkName, "Demo");
}

TEST_F(Attach, FailuresRaiseCannotOpenTheNetworkAndKeepTheOpenOne) {
  lns_.addNetwork("Broken");
  MMain.ObjectServer = lns_.server;
  attach::OpenNetwork("Demo", "");
  const lns::SystemPtr demoSystem = MMain.CurrentSystem;

  struct Case {
    QString network;
    QString interfaceName;
    QString failing;
  };
  const QList<Case> cases = {{"Nope", "", ""},
                             {"Broken", "", "Network(Broken).Open"},
                             {"Broken", "", "System(Broken).Open"},
                             {QString(1 << 20, u'x'), "", ""},
                             {"", "", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE((c.failing + c.interfaceName + c.network.left(20)).toStdString());
    lns_.log->failing = c.failing.isEmpty() ? QSet<QString>{} : QSet<QString>{c.failing};
    scriptedUi().clear();
    const AutomationError e = Raised([&] { attach::OpenNetwork(c.network, c.interfaceName); });
    EXPECT_EQ(e.number(), 20006);
    EXPECT_EQ(e.source(), "RLX_Plug");
    EXPECT_TRUE(e.description().startsWith("Cannot open the network " + c.network + ": ")) << e.what();
    EXPECT_EQ(MMain.CurrentNetworkName, "Demo");
    EXPECT_EQ(MMain.CurrentSystem, demoSystem);
    EXPECT_TRUE(MMain.NetworkOpenedByPlugIn);
    EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  }

  // An interface that cannot be used: the server was closed to switch it to
  // remote work, and the open network went with it, so the next opening of
  // that network opens it again rather than taking it for open.
  EXPECT_EQ(Raised([] { attach::OpenNetwork("Broken", "NI-missing"); }).number(), 20006);
  EXPECT_EQ(MMain.CurrentNetworkName, "Demo");
  EXPECT_FALSE(MMain.NetworkOpenedByPlugIn);
  lns_.log->failing.clear();
  lns_.log->calls.clear();
  attach::OpenNetwork("Demo", "");
  EXPECT_EQ(lns_.log->count("Network(Demo).Open"), 1);
  EXPECT_FALSE(lns_.server->remote);
  EXPECT_TRUE(MMain.NetworkOpenedByPlugIn);
}

// A director rarely runs with the plug-in's environment (the session bus
// started the plug-in with its own): the error names the Object Server's
// reason, the database file tried, the registry and where they came from.
TEST_F(Attach, AFailedOpeningNamesTheDatabaseTriedAndWhereThePlugInTookItFrom) {
  MMain.ObjectServer = lns_.server;
  const QString registry = platform::Registry::rootFolder();
  const QString environment =
      ". The plug-in takes its environment (RLX_REGISTRY_ROOT, which names the registry and with it the LonWorks "
      "path) from the D-Bus session bus that started it, not from the director; set it there with "
      "dbus-update-activation-environment for the plug-in's next start";
  struct Case {
    QString location;
    QString failing;
    QString description;
  };
  const QList<Case> cases = {
      {"/lon/Database/lns.db", "Networks.Item(Nope)",
       "Cannot open the network Nope: Injected failure: Networks.Item(Nope). Database tried: /lon/Database/lns.db "
       "(registry " +
           registry + ")" + environment},
      {"/lon/Database/lns.db", "Server.Open",
       "Cannot open the network Nope: Injected failure: Server.Open. Database tried: /lon/Database/lns.db (registry " +
           registry + ")" + environment},
      {"Server.Open", "Server.Open",  // the reason names the file already
       "Cannot open the network Nope: Injected failure: Server.Open (registry " + registry + ")" + environment},
      {"", "Server.Open",
       "Cannot open the network Nope: Injected failure: Server.Open. No database file could be tried (registry " +
           registry + ")" + environment},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description.toStdString());
    lns_.server->databaseLocation = c.location;
    lns_.log->failing = {c.failing};
    MMain.ServerOpenedByPlugIn = false;  // each opening opens the server
    EXPECT_EQ(Raised([] { attach::OpenNetwork("Nope", ""); }).description(), c.description);
  }
}

TEST_F(Attach, ServerFailuresAndAMissingServerRaiseCannotOpenTheNetwork) {
  EXPECT_EQ(Raised([] { attach::OpenNetwork("Demo", ""); }).number(), 20006);  // no Object Server bound
  MMain.ObjectServer = lns_.server;
  lns_.log->failing << "Server.Open";
  EXPECT_TRUE(
      Raised([] { attach::OpenNetwork("Demo", ""); }).description().startsWith("Cannot open the network Demo: "));
  EXPECT_FALSE(MMain.ServerOpenedByPlugIn);
  EXPECT_FALSE(MMain.NetworkOpenedByPlugIn);
  lns_.log->failing.clear();
  attach::OpenNetwork("Demo", "");  // and it works once the server does
  EXPECT_TRUE(MMain.NetworkOpenedByPlugIn);
}

}  // namespace
