#include "windows/fmain.h"

#include <gtest/gtest.h>

#include <QAccessible>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "explicit_control/zev_activex_ctrl.h"
#include "host/fabout.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_env.h"
#include "windows/fmain_explicit.h"

#include "host/mmain.h"
#include "host/object_server_binding.h"
#include "tests/support/fake_lns.h"
#include "tests/support/fake_windows.h"
#include "tests/support/qt_printers.h"

using testing_support::FakeLns;
using testing_support::FakeWindow;
using testing_support::scriptedUi;

namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // No data server: messages fail at once ("Message Failed"); the windows
    // here talk to the in-memory Object Server only.
    qputenv("RLX_LCADATSV", QByteArray(env_.scratch().toUtf8() + "/no-data-server.so"));
    MMain = MMainState{};
    SetObjectServerFactory([this] { return lns_.server; });
    fMain::Register();
    fMainExplicit::Register();
  }
  void TearDown() override {
    for (WindowId id : {WindowId::fMainExplicit, WindowId::fMain})
      if (PlugInWindow* w = ExistingWindow(id))
        delete w->widget();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (WindowId id : {WindowId::fMain, WindowId::fMainExplicit, WindowId::fPhoneBook})
      RegisterWindow(id, nullptr);
    SetObjectServerFactory(nullptr);
    SetShutdownProcedure(nullptr);
    MMain = MMainState{};
    qunsetenv("RLX_LCADATSV");
  }

  fMain* window() { return dynamic_cast<fMain*>(Window(WindowId::fMain)); }
  fMainExplicit* explicitWindow() { return dynamic_cast<fMainExplicit*>(Window(WindowId::fMainExplicit)); }

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

  testing_support::TestEnv env_;  // a private registry
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
  auto device = lns_.server->networks->items[0]
                    ->Systems()
                    ->Item(1)
                    ->Subsystems()
                    ->Item(QStringLiteral("Routers"))
                    ->AppDevices()
                    ->Item(QStringLiteral("RLX-LonMark"));
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
  lns_.log->failing << "System(Demo).Close"
                    << "Network(Demo).IsOpen";
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

// The menu tree as "name caption" lines, submenus indented; separators by name.
QString MenuTree(const QList<QAction*>& actions, int depth = 0) {
  QString out;
  for (QAction* a : actions) {
    out += QString(depth * 2, u' ') + a->objectName();
    if (!a->isSeparator())
      out += QStringLiteral(" \"") + a->text() + u'"';
    if (a->isCheckable())
      out += QStringLiteral(" [check]");
    if (!a->isVisible())
      out += QStringLiteral(" [hidden]");
    if (!a->isEnabled())
      out += QStringLiteral(" [off]");
    out += u'\n';
    if (a->menu())
      out += MenuTree(a->menu()->actions(), depth + 1);
  }
  return out;
}

TEST_F(MainWindow, TheLonMarkWindowsMenusAndControls) {
  fMain* w = window();
  EXPECT_EQ(MenuTree(w->menuBar()->actions()),
            "MenuPhoneBook \"&Phonebook\"\n"
            "MenuRLX \"&RLX Options\"\n"
            "  SubMenuPulse \"&Pulse Router Service Pin\"\n"
            "  SubMenuReboot \"&Soft Reboot\"\n"
            "  Divider\n"
            "  SubMenuRingMode \"&Ring Mode Parameters\"\n"
            "MenuModemOptions \"&Modem Options\"\n"
            "  SubMenuAutoAnswer \"&Auto Answer\" [check]\n"
            "  SubMenuInputAudio \"&Mute Input Audio\" [check]\n"
            "  SubMenuDialMode \"&Dial Mode\"\n"
            "    SubMenuManual \"Manual \" [check]\n"
            "    SubMenuLocalPerpetual \"Perpetual\" [check]\n"
            "    MenuDialOnDemand \"Dial On Demand\" [check]\n"
            "  Separator\n"
            "  SubMenuStatistics \"&Connection Statistics\"\n"
            "MenuHelp \"&Help\"\n"
            "  SubMenuAbout \"&About\"\n"
            "MenuExit \"&Exit\"\n");
  EXPECT_EQ(w->findChild<QMenu*>("MenuModemOptions"), w->MenuModemOptions->menu());
  EXPECT_EQ(w->findChild<QAction*>("SubMenuManual"), w->SubMenuManual);

  EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware:");
  EXPECT_EQ(w->LabelPhoneNumber->objectName(), "LabelPhoneNumber");
  EXPECT_EQ(w->LabelPhoneNumber->text(), "Phone Number:");
  EXPECT_EQ(w->labelMes->text(), "Message:");
  EXPECT_EQ(w->CmdDial->text(), "Dial");
  EXPECT_EQ(w->CmdCallCancel->text(), "Call Cancel");
  EXPECT_TRUE(w->ComboPhone->isEditable());
  EXPECT_EQ(w->ComboPhone->accessibleName(), "Phone Number:");
  // The message itself is read (an empty line as nothing), described by its caption.
  QAccessibleInterface* message = QAccessible::queryAccessibleInterface(w->LabelMessage);
  EXPECT_EQ(message->text(QAccessible::Description), "Message:");
  EXPECT_EQ(message->text(QAccessible::Name), "");
  EXPECT_FALSE(w->Image1->pixmap().isNull());
  EXPECT_TRUE(w->ListData->isHidden());
  EXPECT_EQ(w->findChild<CZEV_ActiveXCtrl*>("ExplicitCOM"), w->ExplicitCOM);
  EXPECT_EQ(w->Timer1->interval(), 0);
  EXPECT_FALSE(w->Timer1->isActive());
  for (const char* absent : {"Label1", "ComboModem", "Timer2", "LabePhoneNumber"})
    EXPECT_EQ(w->findChild<QObject*>(absent), nullptr) << absent;
  // Centred on the screen.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((w->geometry().center() - screen.center()).manhattanLength(), 2);
}

TEST_F(MainWindow, TheExplicitWindowsMenusAndControls) {
  fMainExplicit* w = explicitWindow();
  EXPECT_EQ(w->objectName(), "fMainExplicit");
  EXPECT_EQ(w->windowTitle(), "RLX/Plug ");
  EXPECT_EQ(w->borderStyle(), BorderStyle::FixedSingle);
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(MenuTree(w->menuBar()->actions()),
            "MenuPhoneBook \"&Phonebook\"\n"
            "MenuRLX \"&RLX Options\"\n"
            "  SubMenuPulse \"&Pulse Router Service Pin\"\n"
            "  SubMenuReboot \"&Soft Reboot\"\n"
            "  Spacer0\n"
            "  SubMenuRingMode \"&Ring Mode Parameters\"\n"
            "MenuModem \"&Modem Options\"\n"
            "  SubMenuAutoAnswer \"&Auto Answer\" [check]\n"
            "  SubMenuInputAudio \"&Mute Input Audio\" [check]\n"
            "  SubMenuDialMode \"&Dial Mode\"\n"
            "    MenuManual \"Manual\" [check]\n"
            "    MenuPerpetual \"Perpetual\" [check]\n"
            "    MenuDialOnDemand \"Dial On Demand\" [check] [hidden] [off]\n"
            "  Spacer1\n"
            "  SubMenuStatistics \"&Connection Statistics\"\n"
            "MenuHelp \"&Help\"\n"
            "  MenuAbout \"&About\"\n"
            "MenuExit \"&Exit\"\n");
  EXPECT_EQ(w->Label1->text(), "Modem:");
  EXPECT_FALSE(w->ComboModem->isEditable());
  EXPECT_EQ(w->ComboModem->count(), 0);
  EXPECT_EQ(w->ComboModem->accessibleName(), "Modem:");
  EXPECT_EQ(w->LabePhoneNumber->objectName(), "LabePhoneNumber");
  EXPECT_EQ(w->LabePhoneNumber->text(), "Phone Number:");
  EXPECT_EQ(w->findChild<CZEV_ActiveXCtrl*>("ExplicitCom"), w->ExplicitCom);
  EXPECT_EQ(w->Timer1->interval(), 0);
  EXPECT_EQ(w->Timer2->interval(), 0);
  EXPECT_FALSE(w->Timer2->isActive());
  for (const char* absent : {"LabelModem", "LabelPhoneNumber", "ExplicitCOM"})
    EXPECT_EQ(w->findChild<QObject*>(absent), nullptr) << absent;
  // Each window registers itself as its family's main window.
  EXPECT_EQ(window_support::MainWindowOf(true), w);
  EXPECT_EQ(window_support::MainWindowOf(false), window());
}

TEST_F(MainWindow, CheckMarksChangeOnlyWhenACommandSetsThem) {
  for (DeviceWindow* w : std::initializer_list<DeviceWindow*>{window(), explicitWindow()}) {
    for (QAction* a : {w->SubMenuAutoAnswer, w->SubMenuInputAudio, w->ManualItem, w->PerpetualItem}) {
      a->setChecked(false);
      a->trigger();
      EXPECT_FALSE(a->isChecked()) << a->objectName().toStdString();
      a->setChecked(true);
      a->trigger();
      EXPECT_TRUE(a->isChecked()) << a->objectName().toStdString();
    }
  }
}

TEST_F(MainWindow, ActivatingTheWindowFocusesThePhoneNumber) {
  fMain* w = window();
  QWidget other;
  w->show();
  other.show();
  auto activate = [](QWidget* target) {
    target->activateWindow();
    for (int i = 0; i < 10 && !target->isActiveWindow(); ++i)
      QCoreApplication::processEvents();
    return target->isActiveWindow();
  };
  if (!activate(w))
    GTEST_SKIP() << "the platform does not activate windows";
  auto phoneHasFocus = [w] {
    QWidget* focus = QApplication::focusWidget();
    return focus == w->ComboPhone || w->ComboPhone->isAncestorOf(focus);
  };
  w->CmdCallCancel->setFocus();
  ASSERT_FALSE(phoneHasFocus());
  activate(&other);
  activate(w);
  EXPECT_TRUE(phoneHasFocus());
  // Not while the field cannot be used.
  w->CmdCallCancel->setFocus();
  w->ComboPhone->setEnabled(false);
  activate(&other);
  activate(w);
  EXPECT_EQ(QApplication::focusWidget(), w->CmdCallCancel);
  w->hide();
}

TEST_F(MainWindow, ExitWithoutDirectorsEndsThePlugInAtOnce) {
  OpenDemo();
  fMain* w = window();
  EXPECT_TRUE(EndsTheProgram([w] { w->MenuExit->trigger(); }));
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  EXPECT_EQ(lns_.log->count("Server.Close"), 1);
  EXPECT_EQ(ExistingWindow(WindowId::fMain), nullptr);
}

TEST_F(MainWindow, ExitAsksWhileOneDirectorUsesThePlugIn) {
  OpenDemo();
  fMain* w = window();
  MMain.DirectorCount = 1;
  scriptedUi().answer(platform::IdNo);
  w->MenuExit->trigger();
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  const auto& box = scriptedUi().boxes().first();
  EXPECT_EQ(box.text,
            "A director is using this plug-in.  Exiting may cause the director to experience errors.  Are you sure "
            "that you want to exit?");
  EXPECT_EQ(box.title, "RLX_Plug");
  EXPECT_EQ(box.buttons, platform::MsgButtons::YesNo);
  EXPECT_EQ(box.defaultButton, 1);  // No
  EXPECT_EQ(box.icon, platform::MsgIcon::None);
  // No: everything stays as it was.
  EXPECT_EQ(ExistingWindow(WindowId::fMain), w);
  EXPECT_TRUE(lns_.log->calls.isEmpty());
  EXPECT_TRUE(lns_.server->open);

  scriptedUi().answer(platform::IdYes);
  EXPECT_TRUE(EndsTheProgram([w] { w->MenuExit->trigger(); }));
  EXPECT_EQ(lns_.log->count("Server.Close"), 1);
}

TEST_F(MainWindow, ExitCountsTheDirectors) {
  OpenDemo();
  fMainExplicit* w = explicitWindow();
  MMain.DirectorCount = 3;
  scriptedUi().answer(platform::IdNo);
  w->MenuExit->trigger();
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes().first().text,
            "There are 3 directors using this plug-in.  Exiting may cause the directors to experience errors.  Are "
            "you sure that you want to exit?");
  EXPECT_EQ(ExistingWindow(WindowId::fMainExplicit), w);
  EXPECT_TRUE(lns_.server->open);

  // Yes from the explicit window closes everything too.
  QPointer<fMainExplicit> gone(w);
  scriptedUi().answer(platform::IdYes);
  EXPECT_TRUE(EndsTheProgram([w] { w->MenuExit->trigger(); }));
  EXPECT_EQ(lns_.log->count("System(Demo).Close"), 1);
  EXPECT_EQ(lns_.log->count("Server.Close"), 1);
  EXPECT_EQ(ExistingWindow(WindowId::fMainExplicit), nullptr);
  EXPECT_EQ(ExistingWindow(WindowId::fMain), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gone.isNull());
}

TEST_F(MainWindow, AboutOpensOverTheWindow) {
  QList<QWidget*> owners;
  scriptedUi().onModal([&](QDialog* d) {
    owners << d->parentWidget();
    return 0;
  });
  window()->SubMenuAbout->trigger();
  explicitWindow()->MenuAbout->trigger();
  EXPECT_EQ(scriptedUi().modalsShown(), (QStringList{"fAbout", "fAbout"}));
  EXPECT_EQ(owners, (QList<QWidget*>{window(), explicitWindow()}));
  fAbout::instance()->setParent(nullptr);
}

TEST_F(MainWindow, ClosingTheExplicitWindowUnloadsTheOthers) {
  OpenDemo();
  QPointer<fMainExplicit> w = explicitWindow();
  QPointer<fMain> main = window();
  w->show();
  EXPECT_TRUE(EndsTheProgram([w] { w->close(); }));
  EXPECT_EQ(ExistingWindow(WindowId::fMainExplicit), nullptr);
  EXPECT_EQ(ExistingWindow(WindowId::fMain), nullptr);
  EXPECT_EQ(lns_.log->count("Server.Close"), 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(main.isNull());
  EXPECT_EQ(window_support::MainWindowOf(true), nullptr);
}

TEST_F(MainWindow, TheExplicitWindowsEndPlugIn) {
  OpenDemo();
  fMainExplicit* w = explicitWindow();
  w->show();
  MMain.DirectorCount = 1;
  EXPECT_TRUE(w->EndPlugIn());
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(lns_.log->calls.isEmpty());
  MMain.DirectorCount = 0;
  EXPECT_TRUE(EndsTheProgram([w] { w->EndPlugIn(); }));
  EXPECT_EQ(lns_.log->count("Network(Demo).Close"), 1);
}

}  // namespace
