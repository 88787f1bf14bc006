// fMain's open sequences on the simulated demo network: the device-level and
// object opens, every row of the enabling table they end in, and the ways a
// device can fail to answer.
#include <gtest/gtest.h>

#include <QFile>

#include "device_protocol/requests.h"
#include "host/lnspluginapi.h"
#include "lonworks/object_server/sim_database.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

const QString kNotReady = QStringLiteral("Modem not ready, or port is disabled");

class LonMarkOpen : public WindowTest {
 protected:
  // Reboot, Pulse, Ring mode, Input audio, Auto answer, Statistics, Dial mode.
  QString menus() {
    fMain* w = main();
    return states({w->SubMenuReboot, w->SubMenuPulse, w->SubMenuRingMode, w->SubMenuInputAudio, w->SubMenuAutoAnswer,
                   w->SubMenuStatistics, w->SubMenuDialMode});
  }
  QString dialControls() {
    fMain* w = main();
    return QString::number(w->CmdDial->isEnabled()) + QString::number(w->CmdCallCancel->isEnabled()) +
           QString::number(w->ComboPhone->isEnabled());
  }
  lns::AppDevicePtr device() { return net->lonMarkDevice(); }
  QString messageColour() { return QString::number(DeviceWindow::LabelColour(main()->LabelMessage)); }
};

TEST_F(LonMarkOpen, DeviceLevelOpenShowsTheFirmwareAndOffersTheDeviceCommands) {
  configureLonMarkDevice();
  fMain* w = main();
  EXPECT_EQ(MMain.CurrentMainWindow, w);
  EXPECT_EQ(MMain.ExplicitFamily, 0);
  EXPECT_EQ(w->TheDevice->Name(), "RLX-LonMark");
  EXPECT_FALSE(w->TheLMObject);
  EXPECT_EQ(w->LabelModem->text(), "Object: RLX-LonMark");
  EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: RLX-LonMark 3.20");
  EXPECT_EQ(w->Control->GetstrNodeName(), "# " + QString::number(device()->Handle()));
  // Row "device level, globals".
  EXPECT_EQ(menus(), "1110000");
  EXPECT_EQ(dialControls(), "000");
  EXPECT_EQ(w->LabelConnectStatus->text(), " ");
  EXPECT_EQ(w->LabelMessage->text(), " ");
  EXPECT_FALSE(w->Timer1->isActive());
  // The phonebook object and its dial strings were found.
  ASSERT_TRUE(w->DeviceLevelObject);
  EXPECT_EQ(w->DeviceLevelObject->Name(), MMain.DeviceLevelObjectName);
  ASSERT_TRUE(w->DialStringProperty);
  EXPECT_EQ(w->DialStringProperty->ElementCount(), 16);
  EXPECT_EQ(net->sent(device()), QStringList{"00 01 55 00 03"});
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  EXPECT_FALSE(w->isVisible());  // the director shows it
}

TEST_F(LonMarkOpen, InternalModemReadyStartsTheStatusDisplay) {
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  EXPECT_EQ(w->strLonProgramName, MMain.InternalModemObjectName);
  EXPECT_EQ(w->LabelModem->text(), "Object:  " + MMain.InternalModemObjectName);
  EXPECT_EQ(w->TheDevice->Name(), "RLX-LonMark");
  EXPECT_TRUE(w->IntModemEnabled);
  // Probe, internal modem check, status, then input audio back to unmuted.
  EXPECT_EQ(net->sent(device()), (QStringList{"00 01 55 00 03", "00 01 73 02", "00 01 53 00", "00 01 34 00 00"}));
  // Row "first modem ready".
  EXPECT_EQ(menus(), "1111111");
  EXPECT_EQ(dialControls(), "111");
  EXPECT_TRUE(w->MenuDialOnDemand->isEnabled());
  EXPECT_EQ(w->StatusNvName, "nvoCnctStat1");
  EXPECT_EQ(w->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_EQ(w->LastStatusText, "TEL_NOTINUSE");
  EXPECT_TRUE(w->Timer1->isActive());
  EXPECT_EQ(w->Timer1->interval(), 2000);
  // Dial mode and auto answer as the device holds them; input audio unmuted.
  EXPECT_TRUE(w->SubMenuManual->isChecked());
  EXPECT_FALSE(w->SubMenuLocalPerpetual->isChecked());
  EXPECT_FALSE(w->MenuDialOnDemand->isChecked());
  EXPECT_TRUE(w->SubMenuAutoAnswer->isChecked());
  EXPECT_FALSE(w->SubMenuInputAudio->isChecked());
  EXPECT_FALSE(net->state(device()).inputMuted);
  EXPECT_FALSE(MMain.DialControlsDisabled);
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  // The hourglass came and went.
  EXPECT_TRUE(scriptedUi().pointerHistory().contains(platform::Pointer::Hourglass));
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
}

TEST_F(LonMarkOpen, ExternalModemsUseTheirSelectorsAndOfferNoInputAudio) {
  configureObject(MMain.ExternalModem1ObjectName);
  EXPECT_EQ(net->sent(device()), (QStringList{"00 01 55 00 03", "00 01 73 02", "00 01 53 02"}));
  EXPECT_EQ(menus(), "1110111");  // row "external modem ready"
  EXPECT_EQ(dialControls(), "111");
  EXPECT_EQ(main()->StatusNvName, "nvoCnctStat2");
  EXPECT_EQ(main()->LabelConnectStatus->text(), "TEL_NOTINUSE");

  net->clearSent();
  configureObject(MMain.ExternalModem2ObjectName);
  EXPECT_EQ(net->sent(device()), (QStringList{"00 01 55 00 03", "00 01 73 02", "00 01 53 03"}));
  EXPECT_EQ(main()->StatusNvName, "nvoCnctStatEx2");
}

TEST_F(LonMarkOpen, WithoutTheInternalModemTheModemsMoveUpOneSelector) {
  // Any answer not ending in "1": no internal modem.
  net->scriptReply(device(), "00 01 73 02", "1\t73\t2\t0");
  configureObject(MMain.InternalModemObjectName);
  EXPECT_FALSE(main()->IntModemEnabled);
  EXPECT_EQ(net->sent(device()).at(2), "00 01 53 02");

  net->clearSent();
  configureObject(MMain.ExternalModem1ObjectName);
  EXPECT_EQ(net->sent(device()).at(2), "00 01 53 03");
  net->clearSent();
  configureObject(MMain.ExternalModem2ObjectName);
  EXPECT_EQ(net->sent(device()).at(2), "00 01 53 03");

  // An answer ending in "1" is the internal modem fitted.
  net->scriptReply(device(), "00 01 73 02", "1\t73\t2\t1");
  net->clearSent();
  configureObject(MMain.InternalModemObjectName);
  EXPECT_TRUE(main()->IntModemEnabled);
  EXPECT_EQ(net->sent(device()).at(2), "00 01 53 00");
}

TEST_F(LonMarkOpen, AModemThatIsNotReadyDisablesTheDialControlsForGood) {
  net->setModem(device(), 0, rlxsim::Presence::NotReady);
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  EXPECT_EQ(menus(), "1111111");  // row "first modem not ready"
  EXPECT_EQ(dialControls(), "000");
  EXPECT_EQ(w->LabelConnectStatus->text(), " ");
  EXPECT_EQ(w->LabelMessage->text(), kNotReady);
  EXPECT_EQ(messageColour(), "255");
  EXPECT_TRUE(MMain.DialControlsDisabled);
  EXPECT_FALSE(w->Timer1->isActive());
  EXPECT_EQ(net->sent(device()).size(), 3);  // no input audio reset

  net->setModem(device(), 1, rlxsim::Presence::Absent);
  configureObject(MMain.ExternalModem1ObjectName);
  EXPECT_EQ(menus(), "1110111");  // row "external modem not ready"
  EXPECT_EQ(dialControls(), "000");
  EXPECT_EQ(w->LabelMessage->text(), kNotReady);

  // Ready again: the flag stays set for the rest of the process.
  configureObject(MMain.ExternalModem2ObjectName);
  EXPECT_EQ(dialControls(), "111");
  EXPECT_TRUE(MMain.DialControlsDisabled);
}

TEST_F(LonMarkOpen, AFailedStatusMessageIsReportedAndChangesNothingElse) {
  fMain* w = main();
  const QString shownBefore = w->LabelConnectStatus->text();
  const QString menusBefore = menus();
  net->scriptFailure(device(), "00 01 53 03");
  configureObject(MMain.ExternalModem2ObjectName);
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  const auto& box = scriptedUi().boxes().first();
  EXPECT_EQ(box.text, "Failed to Check External Modem 2 status due to data server error 'Message Failed'.");
  EXPECT_EQ(box.title, "Error!");
  EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
  EXPECT_EQ(box.icon, platform::MsgIcon::None);
  EXPECT_EQ(menus(), menusBefore);
  EXPECT_EQ(w->LabelConnectStatus->text(), shownBefore);
  EXPECT_FALSE(w->Timer1->isActive());

  // A silent modem reads as a failure too ("Message Timeout").
  scriptedUi().clear();
  net->scriptSilence(device(), "00 01 53 00");
  configureObject(MMain.InternalModemObjectName);
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes().first().text,
            "Failed to Check Internal Modem status due to data server error 'Message Timeout'.");
  EXPECT_EQ(net->completionWait().silences(), 1);

  scriptedUi().clear();
  net->scriptFailure(device(), "00 01 53 02");
  configureObject(MMain.ExternalModem1ObjectName);
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes().first().text,
            "Failed to Check External Modem 1 status due to data server error 'Message Failed'.");
}

TEST_F(LonMarkOpen, DeviceGlobalsOffersTheDeviceCommandsOnly) {
  configureObject(QStringLiteral("Device Globals"));
  fMain* w = main();
  EXPECT_EQ(w->LabelModem->text(), "Object:  Device Globals");
  EXPECT_EQ(net->sent(device()), (QStringList{"00 01 55 00 03", "00 01 73 02"}));
  EXPECT_EQ(menus(), "1110000");
  EXPECT_EQ(dialControls(), "000");
  EXPECT_EQ(w->LabelConnectStatus->text(), " ");
  EXPECT_EQ(w->LabelMessage->text(), " ");
  EXPECT_FALSE(w->Timer1->isActive());
}

TEST_F(LonMarkOpen, OffNetNothingIsSentAndTheWindowSaysSo) {
  net->setOffNet(true);
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  EXPECT_TRUE(net->sent(device()).isEmpty());
  EXPECT_TRUE(net->traffic(device()).isEmpty());
  EXPECT_EQ(menus(), "0010001");  // row "off-net, modem"; auto answer waits for a known firmware
  EXPECT_EQ(dialControls(), "000");
  EXPECT_EQ(w->LabelConnectStatus->text(), "");
  EXPECT_EQ(w->LabelMessage->text(), "<OFFNET>");
  EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: <not available>");
  ASSERT_TRUE(w->DialStringProperty);  // the database still serves the phonebook

  configureObject(QStringLiteral("Device Globals"));
  EXPECT_EQ(menus(), "0010000");  // row "off-net, globals"
  EXPECT_EQ(w->LabelMessage->text(), "<OFFNET>");

  configureLonMarkDevice();
  EXPECT_EQ(menus(), "0010000");
  EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: <not available>");
  EXPECT_TRUE(net->sent(device()).isEmpty());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
}

TEST_F(LonMarkOpen, ASilentDeviceIsAskedAboutAndRetriedOnYes) {
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  // The operator connects the device, then answers Yes.
  answerConnectionError({"bYes"}, [this] { net->setFault(device(), rlxsim::Fault::None); });
  configureObject(MMain.InternalModemObjectName);
  ASSERT_EQ(prompts.size(), 1);
  EXPECT_EQ(prompts.first(),
            "No response from RLX-LonMark.\nMake sure the device is connected before proceeding.\nRetry?");
  EXPECT_EQ(scriptedUi().modalsShown().count("fConnectionError"), 1);
  EXPECT_EQ(main()->LabelProduct->text(), "RLX Firmware: RLX-LonMark 3.20");
  EXPECT_EQ(main()->LabelConnectStatus->text(), "TEL_NOTINUSE");
  EXPECT_FALSE(MMain.AttachAbandoned);
}

TEST_F(LonMarkOpen, NoGoesOnWithoutTheDeviceForEachKindOfObject) {
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  fMain* w = main();

  answerConnectionError({"bNo"});
  configureObject(MMain.InternalModemObjectName);
  EXPECT_EQ(w->LabelProduct->text(), "RLX Firmware: <not available>");
  EXPECT_EQ(w->LabelMessage->text(), "No response from RLX-LonMark");
  EXPECT_EQ(messageColour(), "255");
  EXPECT_EQ(menus(), "0010001");  // row "no answer, first modem"; auto answer waits for a known firmware
  EXPECT_EQ(dialControls(), "000");
  EXPECT_EQ(w->LabelConnectStatus->text(), " ");
  EXPECT_FALSE(w->Timer1->isActive());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());  // dial mode and auto answer quietly unread
  EXPECT_FALSE(MMain.AttachAbandoned);

  // An external modem also puts input audio back to unmuted, which fails.
  answerConnectionError({"bNo"});
  configureObject(MMain.ExternalModem1ObjectName);
  EXPECT_EQ(menus(), "0010001");  // row "no answer, external modem", as above
  EXPECT_EQ(net->sent(device()).last(), "00 01 34 00 00");
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes().first().text, "Failed to Set Input Audio due to data server error 'Message Timeout'.");

  scriptedUi().clear();
  answerConnectionError({"bNo"});
  configureObject(QStringLiteral("Device Globals"));
  EXPECT_EQ(menus(), "0010000");  // row "no answer, other object"
  EXPECT_EQ(w->LabelConnectStatus->text(), "");

  answerConnectionError({"bNo"});
  configureLonMarkDevice();
  EXPECT_EQ(menus(), "0010000");
  EXPECT_EQ(w->LabelMessage->text(), "No response from RLX-LonMark");
  EXPECT_EQ(prompts.size(), 4);
}

TEST_F(LonMarkOpen, CancelAbandonsTheAttachAndTheWindowStaysHidden) {
  net->setFault(device(), rlxsim::Fault::NoAnswer);
  answerConnectionError({"bYes", "bYes", "bCancel"});
  configureObject(MMain.InternalModemObjectName);
  EXPECT_EQ(prompts.size(), 3);
  EXPECT_TRUE(MMain.AttachAbandoned);
  EXPECT_FALSE(main()->Timer1->isActive());
  // The director's Visible cannot show it.
  LNSPlugInAPI api;
  api.setVisible(true);
  EXPECT_FALSE(main()->isVisible());
  EXPECT_NE(QCoreApplication::instance(), nullptr);  // the plug-in goes on running
}

TEST_F(LonMarkOpen, FirmwareBefore320HasNoDialOnDemand) {
  net->change(device(), [](rlxsim::DeviceState& s) { s.firmware = QStringLiteral("3.10"); });
  configureObject(MMain.InternalModemObjectName);
  EXPECT_EQ(main()->LabelProduct->text(), "RLX Firmware: RLX-LonMark 3.10");
  EXPECT_FALSE(main()->MenuDialOnDemand->isEnabled());
  // Before 3.2 auto answer lives in UCPT_AAnswer.
  EXPECT_TRUE(main()->SubMenuAutoAnswer->isChecked());

  net->change(device(), [](rlxsim::DeviceState& s) { s.firmware = QStringLiteral("3.20"); });
  configureObject(MMain.InternalModemObjectName);
  EXPECT_TRUE(main()->MenuDialOnDemand->isEnabled());
}

TEST_F(LonMarkOpen, ProgramIdentifiersBeforeModel2HaveNoDialOnDemand) {
  // Devices of other models: the last two digits of the program identifier.
  // A device template per model, from the family's interface file with
  // the model's program identifier.
  auto addModel = [this](const QString& name, const QString& model) {
    QFile xif(net->lonWorksPath() + "/Import/Rlxtlc32.xif");
    EXPECT_TRUE(xif.open(QIODevice::ReadOnly));
    QString text = QString::fromLatin1(xif.readAll());
    text.replace("80:00:60:32:5B:08:09:32", "80:00:60:32:5B:08:09:" + model);
    const QString path = net->scratch() + "/model" + model + ".xif";
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text.toLatin1());
    out.close();
    auto tpl = MMain.CurrentSystem->DeviceTemplates()->Add("Rlxtlc" + model, 1);
    tpl->ImportXif(path);
    lnssim::NewDevice d;
    d.subsystemId = lnssim::rowIdOf(MMain.CurrentSystem->Subsystems()->Item("Routers").get());
    d.name = name;
    d.templateId = lnssim::rowIdOf(tpl.get());
    const qint64 id = net->server().createDevice(d);
    net->server().runtimeContext().storeNvValue(id, "nvoProductName", "RLX-LonMark 3.20");
    return net->device(name);
  };
  struct Case {
    const char* model;
    bool dialOnDemand;
  };
  for (const Case c : {Case{"01", false}, Case{"0A", false}, Case{"32", true}, Case{"02", true}}) {
    const bool demo = QLatin1String(c.model) == QLatin1String("32");
    const QString name = demo ? QStringLiteral("RLX-LonMark") : QStringLiteral("RLX-Model-") + c.model;
    auto d = demo ? device() : addModel(name, c.model);
    net->scriptReply(d, "00 01 53 00", "1\t53\t0\t0\t0");
    net->scriptReply(d, "00 01 73 02", "1\t73\t2\t1");
    configure("Routers/" + name + "/" + MMain.InternalModemObjectName, 28, 1);
    EXPECT_EQ(main()->MenuDialOnDemand->isEnabled(), c.dialOnDemand) << c.model;
  }
}

TEST_F(LonMarkOpen, MissingDescriptionRecordsAreCreated) {
  configureLonMarkDevice();
  auto records = device()->Extensions();
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(records->Item("ZevPhoneBook" + QString::number(i))->Field(1), "") << i;
  ASSERT_TRUE(main()->DescriptionRecord);
  EXPECT_EQ(main()->DescriptionRecord->Name(), "ZevPhoneBook0");
  EXPECT_TRUE(scriptedUi().modalsShown().contains("fProgress"));
}

}  // namespace
