// The modem and device options of both main windows on the simulated
// network: auto answer, input audio, the service pin and the reboot loops,
// which wait on the network clock through the windows' pauses.
#include <gtest/gtest.h>

#include <QPointer>

#include "windows/modem_options.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

class LonMarkOptions : public WindowTest {
 protected:
  lns::AppDevicePtr device() { return net->lonMarkDevice(); }
  lns::LonMarkObjectPtr modem(int index = 0) { return net->lonMarkObject(modemObject(index)); }
  QString property(const char* name, int index = 0) {
    return modem(index)->ConfigProperties()->Item(QString::fromLatin1(name))->Value();
  }
  fMain* open(int index = 0) {
    configureObject(modemObject(index));
    net->clearSent();
    scriptedUi().clear();
    return main();
  }
};

TEST_F(LonMarkOptions, AutoAnswerWritesThePropertyOfTheFirmware) {
  fMain* w = open();
  ASSERT_TRUE(w->SubMenuAutoAnswer->isChecked());
  w->SubMenuAutoAnswer->trigger();
  EXPECT_FALSE(w->SubMenuAutoAnswer->isChecked());
  EXPECT_EQ(property("UCPT_AutoAnswer"), "False");
  EXPECT_FALSE(net->state(device()).modems[0].autoAnswer);
  w->SubMenuAutoAnswer->trigger();
  EXPECT_TRUE(w->SubMenuAutoAnswer->isChecked());
  EXPECT_EQ(property("UCPT_AutoAnswer"), "True");

  // Before 3.2 the device keeps it in UCPT_AAnswer.
  net->change(device(), [](rlxsim::DeviceState& s) { s.firmware = QStringLiteral("3.10"); });
  w = open(1);
  ASSERT_TRUE(w->LabelProduct->text().endsWith("3.10"));
  w->SubMenuAutoAnswer->trigger();
  EXPECT_EQ(property("UCPT_AAnswer", 1), "0.0 0");
  EXPECT_FALSE(w->SubMenuAutoAnswer->isChecked());
  w->SubMenuAutoAnswer->trigger();
  EXPECT_EQ(property("UCPT_AAnswer", 1), "1.1 1");
  EXPECT_TRUE(net->state(device()).modems[1].autoAnswer);
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  EXPECT_TRUE(net->sent(device()).isEmpty());  // all through the property
}

TEST_F(LonMarkOptions, AFailedAutoAnswerWriteIsShownOnceAndKeepsTheMark) {
  fMain* w = open();
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  w->SubMenuAutoAnswer->trigger();
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes()[0].text, "Routers/RLX-LonMark does not answer");
  EXPECT_EQ(scriptedUi().boxes()[0].title, "RLX_Plug");
  EXPECT_EQ(scriptedUi().boxes()[0].buttons, platform::MsgButtons::Ok);
  EXPECT_EQ(scriptedUi().boxes()[0].icon, platform::MsgIcon::None);
  EXPECT_TRUE(w->SubMenuAutoAnswer->isChecked());
  net->setFault(device(), rlxsim::Fault::None);
  EXPECT_TRUE(net->state(device()).modems[0].autoAnswer);
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

TEST_F(LonMarkOptions, MuteInputAudioTogglesByMessage) {
  fMain* w = open();
  ASSERT_FALSE(w->SubMenuInputAudio->isChecked());
  w->SubMenuInputAudio->trigger();
  EXPECT_TRUE(w->SubMenuInputAudio->isChecked());
  EXPECT_TRUE(net->state(device()).inputMuted);
  w->SubMenuInputAudio->trigger();
  EXPECT_FALSE(w->SubMenuInputAudio->isChecked());
  EXPECT_FALSE(net->state(device()).inputMuted);
  EXPECT_EQ(net->sent(device()), (QStringList{"00 01 34 00 01", "00 01 34 00 00"}));

  net->scriptFailure(device(), "00 01 34 00 01");
  w->SubMenuInputAudio->trigger();
  EXPECT_FALSE(w->SubMenuInputAudio->isChecked());
  EXPECT_EQ(scriptedUi().boxTexts(),
            QStringList{"Failed to Set Input Audio due to data server error 'Message Failed'."});
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Error!");
}

TEST_F(LonMarkOptions, PulseRouterServicePin) {
  fMain* w = open();
  w->SubMenuPulse->trigger();
  EXPECT_EQ(net->sent(device()), QStringList{"00 01 19 00"});
  EXPECT_EQ(net->state(device()).servicePinPulses, 1);
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  net->scriptSilence(device(), "00 01 19 00");
  w->SubMenuPulse->trigger();
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes()[0].text,
            "Failed to Pulse Router Service Pin due to data server error 'Message Timeout'.");
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Error!");
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

TEST_F(LonMarkOptions, SoftRebootWaitsUntilTheDeviceIsBack) {
  fMain* w = open();
  const qint64 start = net->now();
  // The window's events run while the loop waits.
  bool eventRan = false;
  QTimer::singleShot(0, w, [&] { eventRan = true; });
  platform::Pointer during = platform::Pointer::Default;
  pacer->onPause = [&] { during = scriptedUi().pointer(); };
  const modem_options::RebootOutcome outcome = modem_options::SoftRebootLonMark(*w);
  EXPECT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.deviceBack);
  EXPECT_EQ(net->sent(device()), QStringList{"00 01 14 00"});
  EXPECT_EQ(net->state(device()).reboots, 1);
  // Back after the device's 5 s of restart, in pauses of 100 ms.
  EXPECT_GE(net->now() - start, 5000);
  EXPECT_LT(net->now() - start, 5000 + 2 * modem_options::kRebootPauseMs);
  EXPECT_EQ(outcome.attempts, pacer->pauses - 1);
  EXPECT_TRUE(eventRan);
  EXPECT_EQ(during, platform::Pointer::Hourglass);
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  EXPECT_NO_THROW(device()->Test());
}

TEST_F(LonMarkOptions, SoftRebootGivesUpAfterItsAttempts) {
  fMain* w = open();
  net->change(device(), [](rlxsim::DeviceState& s) { s.rebootMs = 3'600'000; });  // it takes an hour
  w->SubMenuReboot->trigger();
  EXPECT_EQ(pacer->pauses, 1 + modem_options::kLonMarkRebootAttempts);
  EXPECT_EQ(pacer->pausedMs, (1 + modem_options::kLonMarkRebootAttempts) * modem_options::kRebootPauseMs);
  EXPECT_EQ(scriptedUi().boxTexts().size(), 1);  // the router did not come back
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  EXPECT_THROW(device()->Test(), lns::LnsError);
}

TEST_F(LonMarkOptions, ASecondRebootWhileOneRunsIsRefused) {
  fMain* w = open();
  modem_options::RebootOutcome inner;
  pacer->onPause = [&] {
    if (pacer->pauses == 3)
      inner = modem_options::SoftRebootLonMark(*w);
  };
  const modem_options::RebootOutcome outer = modem_options::SoftRebootLonMark(*w);
  EXPECT_TRUE(outer.started);
  EXPECT_FALSE(inner.started);
  EXPECT_EQ(net->sent(device()), QStringList{"00 01 14 00"});
  // Once it ended, the next one runs.
  pacer->onPause = nullptr;
  EXPECT_TRUE(modem_options::SoftRebootLonMark(*w).started);
}

// --- explicit family ---------------------------------------------------------------------

class ExplicitOptions : public ExplicitWindowTest {
 protected:
  void open(int modem = 0) {
    configureExplicitDevice();
    if (w()->ComboModem->currentIndex() != modem)
      w()->ComboModem->setCurrentIndex(modem);
    net->clearSent();
    scriptedUi().clear();
  }
};

TEST_F(ExplicitOptions, AutoAnswerIsSetByMessageAndRememberedPerModem) {
  open(2);
  ASSERT_TRUE(w()->SubMenuAutoAnswer->isChecked());
  w()->SubMenuAutoAnswer->trigger();
  EXPECT_EQ(net->sent(device()), QStringList{"00 01 65 03 00"});
  EXPECT_FALSE(w()->SubMenuAutoAnswer->isChecked());
  EXPECT_EQ(autoAnswerRecord(), "110");
  EXPECT_FALSE(net->state(device()).modems[2].autoAnswer);
  w()->SubMenuAutoAnswer->trigger();
  EXPECT_EQ(net->sent(device()).last(), "00 01 65 03 01");
  EXPECT_EQ(autoAnswerRecord(), "111");
  EXPECT_TRUE(w()->SubMenuAutoAnswer->isChecked());

  // Another modem shows its own setting.
  w()->SubMenuAutoAnswer->trigger();
  w()->ComboModem->setCurrentIndex(1);
  EXPECT_TRUE(w()->SubMenuAutoAnswer->isChecked());
  w()->ComboModem->setCurrentIndex(2);
  EXPECT_FALSE(w()->SubMenuAutoAnswer->isChecked());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(ExplicitOptions, AFailedAutoAnswerKeepsTheRecordAndTheMark) {
  open();
  net->scriptSilence(device(), "00 01 65 00 00");
  w()->SubMenuAutoAnswer->trigger();
  EXPECT_TRUE(w()->SubMenuAutoAnswer->isChecked());
  EXPECT_EQ(autoAnswerRecord(), "111");
  net->scriptFailure(device(), "00 01 65 00 00");
  w()->SubMenuAutoAnswer->trigger();
  EXPECT_EQ(scriptedUi().boxTexts(),
            (QStringList{"Failed to set Auto Answer due to data server error 'Message Timeout'.",
                         "Failed to set Auto Answer due to data server error 'Message Failed'."}));
  for (const auto& box : scriptedUi().boxes())
    EXPECT_EQ(box.title, "Error!");
  EXPECT_TRUE(w()->SubMenuAutoAnswer->isChecked());
  EXPECT_EQ(autoAnswerRecord(), "111");
}

TEST_F(ExplicitOptions, MuteInputAudioUsesTheExplicitText) {
  open();
  w()->SubMenuInputAudio->trigger();
  EXPECT_EQ(net->sent(device()), QStringList{"00 01 34 00 01"});
  EXPECT_TRUE(w()->SubMenuInputAudio->isChecked());
  net->scriptSilence(device(), "00 01 34 00 00");
  w()->SubMenuInputAudio->trigger();
  EXPECT_TRUE(w()->SubMenuInputAudio->isChecked());
  EXPECT_EQ(scriptedUi().boxTexts(),
            QStringList{"Failed to set Input Audio due to data server error 'Message Timeout'."});
  EXPECT_TRUE(net->state(device()).inputMuted);
}

TEST_F(ExplicitOptions, PulseRouterServicePin) {
  open();
  net->scriptFailure(device(), "00 01 19 00");
  w()->SubMenuPulse->trigger();
  EXPECT_EQ(net->sent(device()), QStringList{"00 01 19 00"});
  EXPECT_EQ(scriptedUi().boxTexts(),
            QStringList{"Failed to Pulse Router Service Pin due to data server error 'Message Failed'."});
}

TEST_F(ExplicitOptions, SoftRebootResendsAutoAnswerUntilTheDeviceAnswers) {
  open(1);
  const qint64 start = net->now();
  // The operator had switched auto answer off for external modem 1; the
  // reboot puts it back that way.
  w()->SubMenuAutoAnswer->trigger();
  net->clearSent();
  const modem_options::RebootOutcome outcome = modem_options::SoftRebootExplicit(*w());
  EXPECT_TRUE(outcome.deviceBack);
  const QStringList requests = net->sent(device());
  ASSERT_GE(requests.size(), 2);
  EXPECT_EQ(requests.first(), "00 01 14 00");
  EXPECT_EQ(requests.mid(1), QStringList(outcome.attempts, "00 01 65 02 00"));
  EXPECT_GE(net->now() - start, 5000);
  EXPECT_LT(net->now() - start, 5000 + 2 * modem_options::kRebootPauseMs);
  EXPECT_EQ(net->state(device()).reboots, 1);
  EXPECT_FALSE(net->state(device()).modems[1].autoAnswer);
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(ExplicitOptions, ADeviceThatNeverAnswersGetsFiveHundredAttempts) {
  open();
  w()->Timer2->stop();  // a status poll during a long loop would add its own request to the count
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  w()->SubMenuReboot->trigger();
  const QStringList requests = net->sent(device());
  EXPECT_EQ(requests.first(), "00 01 14 00");
  EXPECT_EQ(requests.count("00 01 65 00 01"), modem_options::kExplicitRebootAttempts);
  EXPECT_EQ(requests.size(), 1 + modem_options::kExplicitRebootAttempts);
  // The operator is told the router did not come back.
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_TRUE(scriptedUi().boxes()[0].text.startsWith("The RLX did not come back"));
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

TEST_F(ExplicitOptions, ClosingTheWindowEndsTheLoop) {
  open();
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  QPointer<fMainExplicit> alive(w());
  pacer->onPause = [&] {
    if (pacer->pauses == 2)
      delete alive.data();
  };
  const modem_options::RebootOutcome outcome = modem_options::SoftRebootExplicit(*alive);
  EXPECT_FALSE(alive);
  EXPECT_EQ(pacer->pauses, 2);
  EXPECT_EQ(outcome.attempts, 1);
  EXPECT_EQ(net->sent(device()), (QStringList{"00 01 14 00", "00 01 65 00 01"}));
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

}  // namespace

namespace {

// The program's own pacer: window events run during a pause.
TEST(EventLoopPacer, LetsWindowEventsRunWhileItPauses) {
  window_waits::EventLoopPacer pacer;
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  pacer.pause(0);
  EXPECT_TRUE(ran);
  EXPECT_EQ(&pacer.clock(), &platform::SystemClock::instance());
}

}  // namespace
