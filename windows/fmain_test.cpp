#include "windows/fmain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include "host/mmain.h"
#include "host/object_server_binding.h"
#include "tests/support/fake_lns.h"
#include "tests/support/fake_windows.h"
#include "tests/support/qt_printers.h"

using testing_support::FakeLns;
using testing_support::FakeWindow;

namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    MMain = MMainState{};
    SetObjectServerFactory([this] { return lns_.server; });
    fMain::Register();
  }
  void TearDown() override {
    if (PlugInWindow* w = ExistingWindow(WindowId::fMain))
      delete w->widget();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (WindowId id : {WindowId::fMain, WindowId::fMainExplicit, WindowId::fPhoneBook})
      RegisterWindow(id, nullptr);
    SetObjectServerFactory(nullptr);
    SetShutdownProcedure(nullptr);
    MMain = MMainState{};
  }

  fMain* window() { return dynamic_cast<fMain*>(Window(WindowId::fMain)); }

  // The state of an opened "Demo" network, with the server bound.
  void OpenDemo() {
    auto network = std::static_pointer_cast<testing_support::FakeNetwork>(lns_.server->networks->items.first());
    MMain.ObjectServer = window()->LcaOS();
    MMain.CurrentNetwork = network;
    MMain.CurrentSystem = network->Systems()->Item(1);
    network->open = true;
    std::static_pointer_cast<testing_support::FakeSystem>(MMain.CurrentSystem)->open = true;
    lns_.server->open = true;
    MMain.ServerOpenedByPlugIn = MMain.NetworkOpenedByPlugIn = true;
    lns_.log->calls.clear();
  }

  // Runs the action inside the program's event loop; true when it ended the program.
  static bool EndsTheProgram(const std::function<void()>& action) {
    QTimer::singleShot(0, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10'000);  // only reached when the action did not end the program
    return QApplication::exec() == 0;
  }

  FakeLns lns_ = FakeLns::Demo();
};

TEST_F(MainWindow, IsAFixedHiddenWindowHostingTheObjectServer) {
  fMain* w = window();
  ASSERT_TRUE(w);
  EXPECT_EQ(Window(WindowId::fMain), w);  // one per process
  EXPECT_EQ(w->objectName(), "fMain");
  EXPECT_EQ(w->windowTitle(), "RLX/Plug");
  EXPECT_EQ(w->borderStyle(), BorderStyle::FixedSingle);
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->LcaOS(), lns_.server);
  ASSERT_TRUE(w->LabelModem);
  EXPECT_EQ(w->findChild<QLabel*>("LabelModem"), w->LabelModem);
  EXPECT_EQ(w->LabelModem->text(), "Object:");
}

TEST_F(MainWindow, OpenOperationsRecordTheObject) {
  fMain* w = window();
  auto device = lns_.server->networks->items[0]->Systems()->Item(1)->Subsystems()->Item(QStringLiteral("Routers"))
                    ->AppDevices()->Item(QStringLiteral("RLX-LonMark"));
  PlugInCommand row;
  w->ProcessDeviceCommand(device, row);
  EXPECT_EQ(w->LabelModem->text(), "Object: RLX-LonMark");
  EXPECT_EQ(w->TheDevice, device);
  EXPECT_FALSE(w->TheLMObject);

  auto object = device->Interface()->LonMarkObjects()->Item(QStringLiteral("Internal Modem"));
  w->ProcessLonMarkObjectCommand(object, row);
  EXPECT_EQ(w->LabelModem->text(), "Object:  Internal Modem");
  EXPECT_EQ(w->TheLMObject, object);
  EXPECT_EQ(w->TheDevice, device);  // the owner of the object
  EXPECT_FALSE(w->isVisible());     // the director shows it
}

TEST_F(MainWindow, CloseProcedureClosesEverythingAndEndsTheProgram) {
  OpenDemo();
  QPointer<fMain> w = window();
  w->show();
  EXPECT_TRUE(EndsTheProgram([] { fMain::CloseProcedure(); }));
  EXPECT_EQ(lns_.log->calls, (QStringList{"System(Demo).IsOpen", "System(Demo).Close", "Network(Demo).IsOpen",
                                          "Network(Demo).Close", "Server.IsOpen", "Server.Close"}));
  EXPECT_FALSE(MMain.ServerOpenedByPlugIn);
  EXPECT_FALSE(MMain.NetworkOpenedByPlugIn);
  EXPECT_FALSE(MMain.CurrentSystem);
  EXPECT_FALSE(MMain.CurrentNetwork);
  EXPECT_FALSE(MMain.ObjectServer);
  EXPECT_EQ(ExistingWindow(WindowId::fMain), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull());  // unloaded
}

TEST_F(MainWindow, CloseProcedureIgnoresErrors) {
  OpenDemo();
  lns_.log->failing << "System(Demo).Close" << "Network(Demo).IsOpen";
  EXPECT_TRUE(EndsTheProgram([] { fMain::CloseProcedure(); }));
  EXPECT_EQ(lns_.log->count("Server.Close"), 1);
  EXPECT_FALSE(lns_.server->open);
  EXPECT_FALSE(MMain.CurrentSystem);
  EXPECT_FALSE(MMain.NetworkOpenedByPlugIn);
}

TEST_F(MainWindow, EndPlugInHidesWhileDirectorsRemain) {
  OpenDemo();
  fMain* w = window();
  w->show();
  MMain.DirectorCount = 2;
  EXPECT_TRUE(w->EndPlugIn());
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(lns_.log->calls.isEmpty());
  EXPECT_EQ(ExistingWindow(WindowId::fMain), w);

  MMain.DirectorCount = 0;
  EXPECT_TRUE(EndsTheProgram([w] { w->EndPlugIn(); }));
  EXPECT_EQ(lns_.log->count("Server.Close"), 1);
}

TEST_F(MainWindow, ClosingTheWindowUnloadsTheOthersAndEndsThePlugIn) {
  OpenDemo();
  auto* phonebook = new FakeWindow(WindowId::fPhoneBook, BorderStyle::Sizable);
  RegisterWindow(WindowId::fPhoneBook, [phonebook] { return phonebook; });
  ASSERT_EQ(Window(WindowId::fPhoneBook), phonebook);
  QPointer<QWidget> phonebookWidget = phonebook->widget();
  phonebookWidget->show();
  MMain.CurrentMainWindow = phonebook;
  QPointer<fMain> w = window();
  w->show();
  EXPECT_TRUE(EndsTheProgram([w] { w->close(); }));
  EXPECT_EQ(ExistingWindow(WindowId::fPhoneBook), nullptr);
  EXPECT_EQ(ExistingWindow(WindowId::fMain), nullptr);
  EXPECT_EQ(MMain.CurrentMainWindow, nullptr);
  EXPECT_EQ(lns_.log->count("System(Demo).Close"), 1);
  EXPECT_FALSE(lns_.server->open);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(phonebookWidget.isNull());
  EXPECT_TRUE(w.isNull());
  delete phonebook;  // the stand-in itself outlives its widget
}

TEST_F(MainWindow, TheProgramsShutdownIsTheCloseProcedure) {
  OpenDemo();
  EXPECT_TRUE(EndsTheProgram([] { RunShutdown(); }));
  EXPECT_EQ(lns_.log->count("Server.Close"), 1);
  // Without a window (the registration dialog's shutdown) it still ends.
  EXPECT_TRUE(EndsTheProgram([] { RunShutdown(); }));
}

}  // namespace
