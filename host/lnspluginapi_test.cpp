#include "host/lnspluginapi.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <limits>

#include "host/automation_error.h"
#include "tests/support/plugin_fixture.h"

using testing_support::FakeWindow;
using testing_support::PlugInFixture;
using testing_support::scriptedUi;

namespace {

class PlugInApi : public PlugInFixture {
 protected:
  template <class F>
  static AutomationError Raised(F&& f) {
    try {
      f();
    } catch (const AutomationError& e) {
      return e;
    }
    return AutomationError(0, QString());
  }
  FakeWindow* main() { return window(WindowId::fMain); }
  FakeWindow* phonebook() { return window(WindowId::fPhoneBook); }
};

TEST_F(PlugInApi, SlotsFollowTheInterfaceOrder) {
  QStringList order;
  for (const InterfaceSlot& s : kLNSPlugInAPISlots)
    order << QStringLiteral("%1 %2 %3")
                 .arg(s.slot)
                 .arg(QLatin1String(s.member))
                 .arg(s.kind == SlotKind::Method ? "method"
                      : s.kind == SlotKind::Get  ? "get"
                                                 : "let");
  EXPECT_EQ(order, (QStringList{"1 SendCommand method",
                                "2 Visible get",
                                "3 Visible let",
                                "4 networkName get",
                                "5 networkName let",
                                "6 NetworkInterfaceName get",
                                "7 NetworkInterfaceName let",
                                "8 Remote get",
                                "9 Remote let",
                                "10 Height let",
                                "11 Height get",
                                "12 Width let",
                                "13 Width get",
                                "14 Left let",
                                "15 Left get",
                                "16 Minimized let",
                                "17 Minimized get",
                                "18 ManufacturerID get",
                                "19 ManufacturerID let",
                                "20 ManufacturerName get",
                                "21 ManufacturerName let",
                                "22 LcaVersion get",
                                "23 LcaVersion let",
                                "24 Version get",
                                "25 Version let",
                                "26 Top let",
                                "27 Top get",
                                "28 Name get",
                                "29 Name let"}));
  EXPECT_EQ(PropertySlot("Height", SlotKind::Let), 10);
  EXPECT_EQ(PropertySlot("Top", SlotKind::Get), 27);
  EXPECT_EQ(PropertySlot("height", SlotKind::Get), 0);
  EXPECT_EQ(PropertySlot("SendCommand", SlotKind::Get), 0);
}

TEST_F(PlugInApi, FirstObjectBuildsTheTableAndBindsTheServerOfTheHiddenMainWindow) {
  MMain.ServerOpenedByPlugIn = MMain.NetworkOpenedByPlugIn = true;
  LNSPlugInAPI first;
  EXPECT_EQ(MMain.DirectorCount, 1);
  EXPECT_EQ(MMain.PlugInCommandTable[1].LonMarkObjectName, "Internal Modem");
  EXPECT_EQ(MMain.PlugInCommandTable[6].CommandText, "Configure Explicit RLX");
  EXPECT_EQ(MMain.ObjectServer, lns_.server);
  ASSERT_TRUE(existing(WindowId::fMain));
  EXPECT_FALSE(main()->widget()->isVisible());
  EXPECT_FALSE(MMain.ServerOpenedByPlugIn);
  EXPECT_FALSE(MMain.NetworkOpenedByPlugIn);

  // A second object leaves the shared state alone.
  MMain.PlugInCommandTable[1].LonMarkObjectName = "changed";
  MMain.ServerOpenedByPlugIn = true;
  LNSPlugInAPI second;
  EXPECT_EQ(MMain.DirectorCount, 2);
  EXPECT_EQ(MMain.PlugInCommandTable[1].LonMarkObjectName, "changed");
  EXPECT_TRUE(MMain.ServerOpenedByPlugIn);

  // All released while the window is visible; the next object starts afresh.
  main()->widget()->show();
  second.Release();
  first.Release();
  EXPECT_EQ(MMain.DirectorCount, 0);
  EXPECT_EQ(main()->endPlugInCalls, 0);
  LNSPlugInAPI third;
  EXPECT_EQ(MMain.PlugInCommandTable[1].LonMarkObjectName, "Internal Modem");
  EXPECT_FALSE(MMain.ServerOpenedByPlugIn);
  third.Release();
}

TEST_F(PlugInApi, LastReleaseWithTheWindowHiddenEndsThePlugIn) {
  LNSPlugInAPI a;
  LNSPlugInAPI b;
  a.Release();
  a.Release();  // a second release of the same object counts once
  EXPECT_EQ(MMain.DirectorCount, 1);
  EXPECT_EQ(main()->endPlugInCalls, 0);
  MMain.CurrentMainWindow = nullptr;
  b.Release();
  EXPECT_EQ(MMain.DirectorCount, 0);
  EXPECT_EQ(MMain.CurrentMainWindow, main());  // unset: fMain
  EXPECT_EQ(main()->endPlugInCalls, 1);
}

TEST_F(PlugInApi, LastReleaseWithTheHiddenPhonebookRunsTheShutdown) {
  int shutdowns = 0;
  SetShutdownProcedure([&shutdowns] { ++shutdowns; });
  LNSPlugInAPI a;
  MMain.CurrentMainWindow = phonebook();
  a.Release();
  EXPECT_EQ(phonebook()->endPlugInCalls, 1);  // it has no EndPlugIn of its own
  EXPECT_EQ(shutdowns, 1);
  EXPECT_EQ(main()->endPlugInCalls, 0);

  LNSPlugInAPI b;
  phonebook()->widget()->show();  // visible: the operator ends it
  b.Release();
  EXPECT_EQ(shutdowns, 1);
}

TEST_F(PlugInApi, ConstantPropertiesCannotBeWritten) {
  LNSPlugInAPI api;
  const QList<QPair<int, QString>> constants = {
      {18, "60"}, {20, "Zev Prodcucts Inc"}, {22, "1.5"}, {24, "2.10b"}, {28, "RLX_Plug"}};
  for (const auto& [getSlot, value] : constants) {
    SCOPED_TRACE(getSlot);
    EXPECT_EQ(api.Invoke(getSlot, {}).toString(), value);
    const AutomationError e = Raised([&] { api.Invoke(getSlot + 1, {QStringLiteral("other")}); });
    EXPECT_EQ(e.number(), 20002);
    EXPECT_EQ(e.source(), "RLX_Plug");
    EXPECT_EQ(e.description(), "Attempt to write to read-only property");
    EXPECT_EQ(api.Invoke(getSlot, {}).toString(), value);
  }
  api.Release();
}

TEST_F(PlugInApi, SendCommandFindsTheRowAndOpensTheWindow) {
  LNSPlugInAPI api;
  OpenDemoDirectly();
  api.SendCommand(13, 7, "Routers/RLX-LonMark");
  ASSERT_EQ(main()->opens.size(), 1u);
  EXPECT_EQ(main()->opens[0].row, &MMain.PlugInCommandTable[0]);
  EXPECT_EQ(MMain.ObjectPath, (QStringList{"Routers", "RLX-LonMark"}));

  // An explicit device is still served by row 0; row 6 is never searched.
  api.SendCommand(13, 7, "Routers/RLX-Explicit");
  FakeWindow* explicitWindow = existing(WindowId::fMainExplicit);
  ASSERT_TRUE(explicitWindow);
  EXPECT_EQ(explicitWindow->opens[0].row, &MMain.PlugInCommandTable[0]);

  api.SendCommand(13, 28, "Routers/RLX-LonMark/Directory #2");
  ASSERT_EQ(phonebook()->opens.size(), 1u);
  EXPECT_EQ(phonebook()->opens[0].row, &MMain.PlugInCommandTable[1]);  // the first row of type 28
  api.Release();
}

TEST_F(PlugInApi, SendCommandErrors) {
  LNSPlugInAPI api;
  OpenDemoDirectly();
  struct Case {
    qint32 command;
    qint16 type;
    QString name;
    qint32 number;
    QString description;
  };
  const QList<Case> cases = {
      {13, 5, "Routers/RLX-LonMark", 20004, "Object type not supported for this command"},
      {14, 7, "Routers/RLX-LonMark", 20003, "Command not supported"},
      {0, 0, "", 20003, "Command not supported"},
      {13, 7, "Routers/RLX-Missing", 20005, "Object not found"},
      {13, 7, "RLX-LonMark", 20005, "Object not found"},
      {13, 28, "Routers/RLX-LonMark", 20005, "Object not found"},
      {13, 7, "////", 20005, "Object not found"},
      {13, 28, ":::/:/::", 20005, "Object not found"},
      {13, 7, QString(1 << 20, u'/'), 20005, "Object not found"},
      {13, 28, QString(1 << 20, u'a'), 20005, "Object not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(c.command).arg(c.type).arg(c.name.left(30)).toStdString());
    scriptedUi().setPointer(platform::Pointer::Hourglass);
    const AutomationError e = Raised([&] { api.SendCommand(c.command, c.type, c.name); });
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.source(), "RLX_Plug");
    EXPECT_EQ(e.description(), c.description);
    EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  }
  EXPECT_TRUE(main()->opens.empty());
  api.Release();
}

// A name no LNS path comes near is refused before anything is looked up,
// opened or kept, with the limit in the text.
TEST_F(PlugInApi, OverLongNamesAreRefusedAtOnceWithTheLimit) {
  LNSPlugInAPI api;
  OpenDemoDirectly();
  const QString tooLong(automation_errors::kMaxDirectorText + 1, u'N');
  const struct {
    int slot;
    QVariantList args;
    const char* what;
  } cases[] = {{1, {qint32(13), qint16(7), tooLong}, "The object name"},
               {5, {tooLong}, "The network name"},
               {7, {tooLong}, "The network interface name"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const AutomationError e = Raised([&] { api.Invoke(c.slot, c.args); });
    EXPECT_EQ(e.number(), 20005);
    EXPECT_EQ(e.description(), QString::fromLatin1(c.what) +
                                   " is 4097 characters long; no LNS name or path is longer than 4096 characters");
  }
  EXPECT_TRUE(main()->opens.empty());
  EXPECT_EQ(api.networkName(), "Demo");
  api.Release();
}

TEST_F(PlugInApi, ErrorsOfTheWindowReachTheDirectorWithTheirOwnNumberAndSource) {
  LNSPlugInAPI api;
  OpenDemoDirectly();
  main()->onOpen = [] {
    platform::ui().setPointer(platform::Pointer::Hourglass);
    throw AutomationError(31001, "The window could not open", "RLX_Window");
  };
  AutomationError e = Raised([&] { api.SendCommand(13, 7, "Routers/RLX-LonMark"); });
  EXPECT_EQ(e.number(), 31001);
  EXPECT_EQ(e.source(), "RLX_Window");
  EXPECT_EQ(e.description(), "The window could not open");
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);

  main()->onOpen = [] { throw lns::LnsError(lns::kErrDeviceNoResponse, "The device did not answer"); };
  e = Raised([&] { api.SendCommand(13, 28, "Routers/RLX-LonMark/Internal Modem"); });
  EXPECT_EQ(e.number(), lns::kErrDeviceNoResponse);
  EXPECT_EQ(e.description(), "The device did not answer");
  api.Release();
}

TEST_F(PlugInApi, RegisterRunsTheRegistrationHookAndNeverRaises) {
  LNSPlugInAPI api;
  api.setNetworkName("Demo");
  api.SendCommand(50, 0, "");  // no hook installed: nothing happens
  int runs = 0;
  SetRegisterCommandsHook([&runs] {
    ++runs;
    throw lns::LnsError(lns::kErrDatabase, "locked");
  });
  EXPECT_NO_THROW(api.SendCommand(50, 7, "anything"));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  SetRegisterCommandsHook(nullptr);
  api.Release();
}

TEST_F(PlugInApi, NetworkNameOpensThroughTheInstancesInterface) {
  lns_.addInterface("NI-1");
  LNSPlugInAPI remote;
  LNSPlugInAPI local;
  remote.setNetworkInterfaceName("NI-1");
  EXPECT_EQ(local.NetworkInterfaceName(), "");
  remote.setNetworkName("Demo");
  EXPECT_EQ(remote.networkName(), "Demo");
  EXPECT_EQ(local.networkName(), "Demo");
  EXPECT_TRUE(lns_.server->remote);
  EXPECT_TRUE(Raised([&] { local.setNetworkName("Elsewhere"); })
                  .description()
                  .startsWith("Cannot open the network Elsewhere: "));
  EXPECT_FALSE(lns_.server->remote);  // the local instance switched the server back
  remote.Release();
  local.Release();
}

TEST_F(PlugInApi, RemoteReopensAnOpenServer) {
  LNSPlugInAPI api;
  lns_.log->calls.clear();
  api.setRemote(true);
  EXPECT_EQ(lns_.log->calls, (QStringList{"Server.IsOpen", "Server.setRemoteFlag(1)"}));
  EXPECT_FALSE(MMain.ServerOpenedByPlugIn);
  EXPECT_TRUE(api.Remote());

  lns_.server->open = true;
  MMain.NetworkOpenedByPlugIn = true;
  lns_.log->calls.clear();
  api.setRemote(false);
  EXPECT_EQ(lns_.log->calls, (QStringList{"Server.IsOpen", "Server.Close", "Server.setRemoteFlag(0)", "Server.Open"}));
  EXPECT_TRUE(MMain.ServerOpenedByPlugIn);
  EXPECT_FALSE(api.Remote());
  // The network closed with the server: the next networkName opens it again.
  EXPECT_FALSE(MMain.NetworkOpenedByPlugIn);

  lns_.log->failing << "Server.Open";
  const AutomationError e = Raised([&] { api.Invoke(9, {true}); });
  EXPECT_EQ(e.number(), lns::kErrDatabase);  // the server's own error reaches the director
  api.Release();
}

TEST_F(PlugInApi, VisibleShowsAndHidesUnlessTheAttachWasAbandoned) {
  LNSPlugInAPI api;
  api.setVisible(true);
  EXPECT_TRUE(main()->widget()->isVisible());
  EXPECT_TRUE(api.Visible());
  api.setVisible(false);
  EXPECT_FALSE(api.Visible());
  MMain.AttachAbandoned = true;
  api.setVisible(true);
  EXPECT_FALSE(main()->widget()->isVisible());
  api.Release();
}

TEST_F(PlugInApi, SizingAFixedBorderIsRefusedFirst) {
  LNSPlugInAPI api;
  QWidget* w = main()->widget();
  w->show();
  const QSize before = w->frameGeometry().size();
  for (bool minimized : {false, true}) {
    w->setWindowState(minimized ? Qt::WindowMinimized : Qt::WindowNoState);
    EXPECT_EQ(Raised([&] { api.setHeight(300); }).number(), 20002);
    EXPECT_EQ(Raised([&] { api.setWidth(300); }).number(), 20002);
  }
  EXPECT_EQ(w->frameGeometry().size(), before);
  // Moving has no border test.
  w->setWindowState(Qt::WindowNoState);
  api.setLeft(40);
  api.setTop(50);
  EXPECT_EQ(api.Left(), 40);
  EXPECT_EQ(api.Top(), 50);
  api.Release();
}

TEST_F(PlugInApi, SizableWindowIsSizedAndMovedInPixels) {
  LNSPlugInAPI api;
  MMain.CurrentMainWindow = phonebook();
  QWidget* w = phonebook()->widget();
  w->show();
  api.setWidth(320);
  api.setHeight(240);
  api.setLeft(10);
  api.setTop(20);
  EXPECT_EQ(api.Width(), 320);
  EXPECT_EQ(api.Height(), 240);
  EXPECT_EQ(api.Left(), 10);
  EXPECT_EQ(api.Top(), 20);
  EXPECT_EQ(w->frameGeometry(), QRect(10, 20, 320, 240));

  for (Qt::WindowState state : {Qt::WindowMinimized, Qt::WindowMaximized}) {
    w->setWindowState(state);
    for (int slot : {10, 12, 14, 26}) {
      const AutomationError e = Raised([&] { api.Invoke(slot, {qint32(100)}); });
      EXPECT_EQ(e.number(), 20006) << slot;
      EXPECT_EQ(e.description(), "Plug-in can't be moved or sized while minimized or maximized");
    }
    // The getters answer whatever the state.
    EXPECT_GT(api.Invoke(13, {}).toInt(), 0);
  }
  w->setWindowState(Qt::WindowNoState);

  // Absurd sizes stay within the desktop instead of asking for a huge surface.
  api.setHeight(std::numeric_limits<qint32>::max());
  api.setWidth(-5);
  const QSize desktop = QGuiApplication::primaryScreen()->virtualSize().expandedTo(QSize(640, 480));
  EXPECT_LE(api.Height(), desktop.height());
  EXPECT_GE(api.Width(), 0);
  api.setLeft(std::numeric_limits<qint32>::min());
  EXPECT_EQ(api.Left(), -QWIDGETSIZE_MAX);
  api.Release();
}

TEST_F(PlugInApi, MinimizedIsSetEvenWhenTheWindowIsHidden) {
  LNSPlugInAPI api;
  QWidget* w = main()->widget();
  const AutomationError e = Raised([&] { api.setMinimized(true); });
  EXPECT_EQ(e.number(), 20006);
  EXPECT_EQ(e.description(),
            "Can not modify the minimzed property when invisble. The property will be applied the next time the "
            "plug-in is made visible");
  EXPECT_TRUE(w->windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(api.Minimized());
  EXPECT_EQ(Raised([&] { api.setMinimized(false); }).number(), 20006);
  EXPECT_FALSE(api.Minimized());

  w->show();
  EXPECT_NO_THROW(api.setMinimized(true));
  EXPECT_TRUE(api.Minimized());
  EXPECT_NO_THROW(api.setMinimized(false));
  EXPECT_FALSE(api.Minimized());
  api.Release();
}

TEST_F(PlugInApi, WithoutAnyWindowThePropertiesAnswerEmpty) {
  testing_support::FakeWindows::unregister(WindowId::fMain);
  LNSPlugInAPI api;
  EXPECT_EQ(MMain.ObjectServer, nullptr);
  EXPECT_FALSE(api.Visible());
  EXPECT_EQ(api.Height(), 0);
  EXPECT_NO_THROW(api.setVisible(true));
  EXPECT_FALSE(api.Remote());
  EXPECT_EQ(Raised([&] { api.setNetworkName("Demo"); }).number(), 20006);
  int shutdowns = 0;
  SetShutdownProcedure([&shutdowns] { ++shutdowns; });
  api.Release();
  EXPECT_EQ(shutdowns, 1);
}

TEST(Twips, ConversionRoundsHalvesToEven) {
  EXPECT_EQ(PixelsFromTwips(37.5, 15), 2);    // 2.5
  EXPECT_EQ(PixelsFromTwips(52.5, 15), 4);    // 3.5
  EXPECT_EQ(PixelsFromTwips(-37.5, 15), -2);  // -2.5
  EXPECT_EQ(PixelsFromTwips(-52.5, 15), -4);
  EXPECT_EQ(PixelsFromTwips(100, 15), 7);  // 6.67
  EXPECT_EQ(PixelsFromTwips(97, 15), 6);   // 6.47
  EXPECT_EQ(PixelsFromTwips(1e12, 1), std::numeric_limits<qint32>::max());
  EXPECT_EQ(PixelsFromTwips(-1e12, 1), std::numeric_limits<qint32>::min());
  EXPECT_EQ(PixelsFromTwips(std::nan(""), 15), 0);
  for (double tpp : {15.0, 12.0, 14.4, 10.0, 7.5})
    for (qint32 px : {0, 1, 2, 3, 7, 640, 1023, -8, 32767})
      EXPECT_EQ(PixelsFromTwips(TwipsFromPixels(px, tpp), tpp), px) << tpp << " " << px;
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_TRUE(screen);
  EXPECT_DOUBLE_EQ(TwipsPerPixelX(nullptr), 1440.0 / screen->logicalDotsPerInchX());
  EXPECT_DOUBLE_EQ(TwipsPerPixelY(nullptr), 1440.0 / screen->logicalDotsPerInchY());
}

}  // namespace
