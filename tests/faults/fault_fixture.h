#pragma once
// Fault injection on the simulated network: the three faults a device or the
// data server can show, a snapshot of what the network database keeps for a
// device (its extension records), and the checks every faulted operation must
// pass afterwards: the window is still there and can talk to its device once
// the fault is gone.

#include <gtest/gtest.h>

#include <QMap>
#include <QPointer>
#include <QStringList>

#include "host/mmain.h"
#include "lonworks/rlx_device/rlx_model.h"
#include "ring_stats/fringmode.h"
#include "ring_stats/ring_stats.h"
#include "windows/modem_options.h"
#include "windows/testing/window_fixture.h"

namespace fault_testing {

using testing_support::scriptedUi;
using window_testing::modemObject;

// What goes wrong while an operation runs.
enum class DeviceFault {
  Silent,           // the device does not answer: "Message Timeout", variable and property access fails
  DataServerFails,  // the data server cannot open points: "Message Failed"
  ResetFirst,       // the data server answers 6 until it is reset
};

inline const char* FaultName(DeviceFault f) {
  switch (f) {
    case DeviceFault::Silent: return "Silent";
    case DeviceFault::DataServerFails: return "DataServerFails";
    case DeviceFault::ResetFirst: return "ResetFirst";
  }
  return "?";
}

inline rlxsim::Fault SimFault(DeviceFault f) {
  switch (f) {
    case DeviceFault::Silent: return rlxsim::Fault::NoAnswer;
    case DeviceFault::DataServerFails: return rlxsim::Fault::Failure;
    case DeviceFault::ResetFirst: return rlxsim::Fault::ResetOnce;
  }
  return rlxsim::Fault::None;
}

// The reply text a message gets under the fault (ResetFirst: none, the message goes through).
inline QString FailureText(DeviceFault f) {
  return f == DeviceFault::Silent ? QStringLiteral("Message Timeout") : QStringLiteral("Message Failed");
}

// The extension records the database keeps for a device: name -> fields 1 to 3.
using Records = QMap<QString, QStringList>;

inline Records RecordsOf(const lns::AppDevicePtr& device) {
  Records out;
  auto records = device->Extensions();
  for (qint32 i = 1, n = records->Count(); i <= n; ++i) {
    lns::ExtensionRecordPtr r = records->Item(i);
    out[r->Name()] = {r->Field(1), r->Field(2), r->Field(3)};
  }
  return out;
}

// Records of `before` that are missing or changed in `after` (additions are not losses).
inline QStringList LostOrChanged(const Records& before, const Records& after) {
  QStringList out;
  for (auto it = before.cbegin(); it != before.cend(); ++it)
    if (!after.contains(it.key()) || after.value(it.key()) != it.value())
      out << it.key() + u'=' + it.value().join(u'|') + QStringLiteral(" -> ") +
                 (after.contains(it.key()) ? after.value(it.key()).join(u'|') : QStringLiteral("(gone)"));
  return out;
}

inline QString Bits(std::initializer_list<bool> flags) {
  QString s;
  for (bool f : flags)
    s += f ? u'1' : u'0';
  return s;
}

class FaultFixture : public window_testing::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // The ring status query's one-second pauses pass on the network clock.
    fRingMode::SetPause([this](fRingMode&, int ms) { net->advance(ms); });
  }
  void TearDown() override {
    fRingMode::SetPause(nullptr);
    ring_stats::UnloadRingStatsWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WindowTest::TearDown();
  }

 public:
  // What the operations of the tables need of the window fixture.
  using WindowTest::answerConnectionError;
  using WindowTest::configure;
  using WindowTest::configureExplicitDevice;
  using WindowTest::configureLonMarkDevice;
  using WindowTest::configureObject;
  using WindowTest::explicitWindow;
  using WindowTest::main;
  using WindowTest::net;
  using WindowTest::pacer;
  using WindowTest::prompts;

  lns::AppDevicePtr lonMark() { return net->lonMarkDevice(); }
  lns::AppDevicePtr explicitRlx() { return net->explicitDevice(); }

  // --- the LonMark window ------------------------------------------------------
  // fMain shown on a modem object (0 internal, 1 external modem 1, 2 external modem 2).
  fMain* openLonMark(int modem = 0) {
    configureObject(modemObject(modem));
    main()->show();
    return main();
  }
  // Entry i of the LonMark phonebook: its dial string on the device, its description in the database.
  void lonMarkEntry(int i, const QString& number, const QString& description) {
    fMain* w = main();
    w->DialStringProperty->SetElement(i, number);
    w->TheDevice->Extensions()->Item(QStringLiteral("ZevPhoneBook") + QString::number(i))->SetField(1, description);
    w->FillPhoneList();
  }
  // Reboot, Pulse, Ring mode, Input audio, Auto answer, Statistics, Dial mode.
  static QString menus(DeviceWindow* w) {
    return Bits({w->SubMenuReboot->isEnabled(), w->SubMenuPulse->isEnabled(), w->SubMenuRingMode->isEnabled(),
                 w->SubMenuInputAudio->isEnabled(), w->SubMenuAutoAnswer->isEnabled(),
                 w->SubMenuStatistics->isEnabled(), w->SubMenuDialMode->isEnabled()});
  }
  // Manual, Perpetual, Dial On Demand.
  static QString marks(DeviceWindow* w) {
    return Bits({w->ManualItem->isChecked(), w->PerpetualItem->isChecked(), w->MenuDialOnDemand->isChecked()});
  }
  // CmdDial, CmdCallCancel, ComboPhone.
  static QString dialControls(DeviceWindow* w) {
    return Bits({w->CmdDial->isEnabled(), w->CmdCallCancel->isEnabled(), w->ComboPhone->isEnabled()});
  }

  // --- the explicit window -------------------------------------------------------
  fMainExplicit* openExplicit() {
    configureExplicitDevice();
    explicitWindow()->show();
    return explicitWindow();
  }
  // Entry i of the explicit phonebook, in the database copy and on the device.
  void explicitEntry(int i, const QString& number, const QString& description) {
    auto r = explicitRlx()->Extensions()->Item(QStringLiteral("ZevExplicitPhonebook") + QString::number(i));
    r->SetField(1, number);
    r->SetField(2, description);
    r->SetField(3, number);
    net->change(explicitRlx(), [&](rlxsim::DeviceState& s) { s.phonebook[i] = number; });
  }
  QString autoAnswerRecord() {
    auto r = explicitRlx()->Extensions()->Item(QStringLiteral("ZevExplicitAutoAnswer"));
    return r->Field(1) + r->Field(2) + r->Field(3);
  }
  QString record(const lns::AppDevicePtr& device, const QString& name, int field) {
    return device->Extensions()->Item(name)->Field(field);
  }

  // A call the device itself starts on a modem, as a director's or its own dialling would.
  void callOnDevice(const lns::AppDevicePtr& device, int modem, const QString& number) {
    net->change(device, [&](rlxsim::DeviceState& s) { rlxsim::dial(s, modem, number, net->now()); });
  }

  // --- afterwards -------------------------------------------------------------------
  // With the fault gone, the window still works: its menus are not left
  // locked, and a command reaches the device without a box.
  void expectUsable(DeviceWindow* w, const lns::AppDevicePtr& device) {
    ASSERT_NE(w, nullptr) << "the window is gone";
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->MenuExit->isEnabled());
    EXPECT_TRUE(w->MenuHelp->isEnabled());
    const int pulses = net->state(device).servicePinPulses;
    const qsizetype boxes = scriptedUi().boxes().size();
    modem_options::PulseServicePin(*w);
    EXPECT_EQ(net->state(device).servicePinPulses, pulses + 1);
    EXPECT_EQ(scriptedUi().boxes().size(), boxes) << scriptedUi().boxTexts().join(" | ").toStdString();
    EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  }
};

}  // namespace fault_testing
