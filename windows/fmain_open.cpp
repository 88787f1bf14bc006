// fMain's open sequences: on the device (device-level open) and on one of its
// LonMark objects (object open), and the rows of the enabling table they end in.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include "device_protocol/failure_reports.h"
#include "device_protocol/modem.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "host/mmain.h"
#include "phonebook/phonebook_sync.h"
#include "platform/ui_services.h"
#include "windows/dial_modes.h"
#include "windows/fmain.h"
#include "windows/modem_options.h"

using namespace device_protocol;

namespace {

constexpr char kDeviceGlobals[] = "Device Globals";
constexpr char kNotReady[] = "Modem not ready, or port is disabled";
constexpr char kFirmwareNotAvailable[] = "RLX Firmware: <not available>";

ModemNames Names() {
  return {MMain.InternalModemObjectName, MMain.ExternalModem1ObjectName, MMain.ExternalModem2ObjectName};
}

// One row of the enabling table: 1 on, 0 off, -1 unchanged.
struct RowSpec {
  int reboot, pulse, ringMode, inputAudio, autoAnswer, statistics, dialMode, dialControls;
  const char* connectStatus;  // nullptr: unchanged
  const char* message;        // nullptr: unchanged
  bool messageRed;
  bool setsDialControlsDisabled;
  bool firmwareNotAvailable;
};

RowSpec SpecOf(fMain::Row row) {
  using R = fMain::Row;
  switch (row) {
    case R::FirstModemReady: return {1, 1, 1, 1, 1, 1, 1, 1, nullptr, nullptr, false, false, false};
    case R::ExternalModemReady: return {1, 1, 1, 0, 1, 1, 1, 1, nullptr, nullptr, false, false, false};
    case R::FirstModemNotReady: return {1, 1, 1, 1, 1, 1, 1, 0, " ", kNotReady, true, true, false};
    case R::ExternalModemNotReady: return {1, 1, 1, 0, 1, 1, 1, 0, " ", kNotReady, true, true, false};
    case R::DeviceLevelGlobals: return {1, 1, 1, 0, 0, 0, 0, 0, " ", " ", false, false, false};
    case R::NoAnswerFirstModem: return {0, 0, 1, 0, 1, 0, 1, 0, " ", nullptr, false, false, false};
    case R::NoAnswerExternalModem: return {0, 0, 1, 0, 1, 0, 1, 0, " ", nullptr, false, false, false};
    case R::NoAnswerOtherObject: return {0, 0, 1, 0, 0, 0, 0, 0, "", nullptr, false, false, false};
    case R::OffNetModem: return {0, 0, 1, 0, 1, 0, 1, 0, "", "<OFFNET>", false, false, true};
    case R::OffNetGlobals: return {0, 0, 1, 0, 0, 0, 0, 0, "", "<OFFNET>", false, false, true};
  }
  return {-1, -1, -1, -1, -1, -1, -1, -1, nullptr, nullptr, false, false, false};
}

void Set(QAction* action, int state) {
  if (state >= 0)
    action->setEnabled(state != 0);
}

}  // namespace

qint32 fMain::ManagementMode() const {
  const lns::SystemPtr system = Link().system();
  return system ? system->MgmtMode() : 0;
}

QString fMain::DeviceName() const {
  try {
    return TheDevice ? TheDevice->Name() : QString();
  } catch (const lns::LnsError&) {
    return QString();
  }
}

void fMain::ResetForOpen() {
  // The window serves one open after another in the same process: what an
  // earlier open decided (its status display, the model checks) starts afresh.
  Timer1->stop();
  // The device comes from the network open now; the window stays with that
  // network's system while it shows the device.
  Link().SetSystem(MMain.CurrentSystem);
  ResetForAnotherObject();
  TheLMObject.reset();
  strLonProgramName.clear();
  StatusNv.reset();
  StatusTextNv.reset();
  StatusNvName.clear();
  DialModeProperty.reset();
  IntModemEnabled = false;
  MenuDialOnDemand->setEnabled(true);
  LabelProduct->setText(QStringLiteral("RLX Firmware:"));
}

void fMain::FindDeviceObjects() {
  DeviceInterface = TheDevice->Interface();
  DeviceObjects = DeviceInterface->LonMarkObjects();
  // The phonebook object is usually the fifth; otherwise the first of that name.
  DeviceLevelObject.reset();
  auto nameOf = [this](qint32 index) -> lns::LonMarkObjectPtr {
    try {
      lns::LonMarkObjectPtr object = DeviceObjects->Item(index);
      if (object && object->Name() == MMain.DeviceLevelObjectName)
        return object;
    } catch (const lns::LnsError&) {
      // A device with fewer objects: keep looking.
    }
    return nullptr;
  };
  DeviceLevelObject = nameOf(5);
  if (!DeviceLevelObject) {
    const qint32 count = DeviceObjects->Count();
    for (qint32 i = 1; i <= count && !DeviceLevelObject; ++i)
      DeviceLevelObject = nameOf(i);
  }
  DialStringProperty.reset();
  DescriptionRecord.reset();
  // A device without its phonebook object opens without a phone list.
  if (!DeviceLevelObject)
    return;
  DialStringProperty = DeviceLevelObject->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
  try {
    DescriptionRecord = TheDevice->Extensions()->Item(QStringLiteral("ZevPhoneBook0"));
  } catch (const lns::LnsError&) {
    try {
      phonebook::CreateDescriptionRecords(this, TheDevice, DialStringProperty);
      DescriptionRecord = TheDevice->Extensions()->Item(QStringLiteral("ZevPhoneBook0"));
    } catch (const lns::LnsError&) {
      // Errors are ignored: the phonebook works without descriptions.
    }
  }
}

void fMain::ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand&) {
  platform::BusyCursor busy;
  ResetForOpen();
  TheDevice = std::move(device);
  const bool offNet = ManagementMode() == 1;
  if (!offNet) {
    Link().Connect(TheDevice);
    Send(RingStatusStart());  // the reply is not used
  }
  FindDeviceObjects();
  if (offNet) {
    ApplyRow(Row::OffNetGlobals);
    return;
  }
  LabelModem->setText(QStringLiteral("Object: ") + TheDevice->Name());
  switch (ReadFirmware()) {
    case FirmwareRead::Read: ApplyRow(Row::DeviceLevelGlobals); break;
    case FirmwareRead::NotRead: ApplyRow(Row::NoAnswerOtherObject); break;
    case FirmwareRead::Abandoned: break;
  }
}

fMain::FirmwareRead fMain::ReadFirmware() {
  for (;;) {
    try {
      CurrentNv = DeviceInterface->NetworkVariables()->Item(QStringLiteral("nvoProductName"));
      LabelProduct->setText(QStringLiteral("RLX Firmware: ") + CurrentNv->Value());
      return FirmwareRead::Read;
    } catch (const lns::LnsError& e) {
      // The variable is read through the network database: when that cannot
      // be used, the operator is told so, not asked to check the device.
      if (e.number() == lns::kErrDatabase) {
        Report(e.description(), QString::fromLatin1(kPlugInTitle));
        LabelProduct->setText(QString::fromLatin1(kFirmwareNotAvailable));
        SetMessage(e.description(), kColourRed);
        return FirmwareRead::NotRead;
      }
      // Otherwise the device did not answer: ask the operator.
    }
    const int answer = AskNoResponse(TheDevice->Name());
    if (answer == platform::IdYes)
      continue;
    if (answer == platform::IdNo) {
      LabelProduct->setText(QString::fromLatin1(kFirmwareNotAvailable));
      SetMessage(QStringLiteral("No response from ") + TheDevice->Name(), kColourRed);
      return FirmwareRead::NotRead;
    }
    MMain.AttachAbandoned = true;
    return FirmwareRead::Abandoned;
  }
}

void fMain::ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr object, PlugInCommand&) {
  platform::BusyCursor busy;
  ResetForOpen();
  TheLMObject = std::move(object);
  strLonProgramName = TheLMObject->Name();
  LabelModem->setText(QStringLiteral("Object:  ") + TheLMObject->DisplayName());
  TheDevice = TheLMObject->Device();

  // Model check: devices before model 2 have no dial on demand.
  if (NumericPrefix(TheDevice->ProgramId().right(2).trimmed()) < 2)
    MenuDialOnDemand->setEnabled(false);

  const bool offNet = ManagementMode() == 1;
  if (!offNet) {
    Link().Connect(TheDevice);
    Send(RingStatusStart());  // the reply is not used
  }
  FindDeviceObjects();
  if (offNet) {
    ApplyRow(strLonProgramName == QLatin1String(kDeviceGlobals) ? Row::OffNetGlobals : Row::OffNetModem);
    return;
  }

  switch (ReadFirmware()) {
    case FirmwareRead::Read:
      // Firmware before 3.2 has no dial on demand.
      if (NumericPrefix(LabelProduct->text().right(5)) < 3.2)
        MenuDialOnDemand->setEnabled(false);
      break;
    case FirmwareRead::NotRead:
      if (strLonProgramName == MMain.InternalModemObjectName)
        ApplyRow(Row::NoAnswerFirstModem);
      else if (strLonProgramName.left(14) == QLatin1String("External Modem"))
        ApplyRow(Row::NoAnswerExternalModem);
      else
        ApplyRow(Row::NoAnswerOtherObject);
      return;
    case FirmwareRead::Abandoned: return;
  }

  // Is the internal modem fitted? Without it the device numbers its modems
  // from selector 02.
  const QString setting = Send(ReadModemSetting());
  IntModemEnabled = InternalModemFitted(setting);

  const std::optional<Modem> modem = ModemObjectByName(strLonProgramName, Names());
  if (!modem) {
    ApplyRow(Row::DeviceLevelGlobals);
    return;
  }
  // Without the setting the selector of the internal modem and of external
  // modem 1 is unknown: asking the other modem in their place could show a
  // ready modem as not ready (which disables dialling for good). The status
  // could not be checked, and the window says so as for a failed status.
  if (IsFailureReply(setting) && *modem != Modem::External2) {
    const FailureMessage& failure = CheckModemStatusFailed(*modem);
    Report(failure.text(setting), failure.titleText());
    return;
  }
  const QString reply = Send(ModemStatus(ObjectOpenSelector(*modem, IntModemEnabled)));
  const bool first = *modem == Modem::Internal;
  if (ModemIsReady(reply)) {
    ApplyRow(first ? Row::FirstModemReady : Row::ExternalModemReady);
  } else if (IsFailureReply(reply)) {
    const FailureMessage& failure = CheckModemStatusFailed(*modem);
    Report(failure.text(reply), failure.titleText());
  } else {
    ApplyRow(first ? Row::FirstModemNotReady : Row::ExternalModemNotReady);
  }
}

void fMain::ApplyRow(Row row) {
  const RowSpec states = SpecOf(row);
  Set(SubMenuReboot, states.reboot);
  Set(SubMenuPulse, states.pulse);
  Set(SubMenuRingMode, states.ringMode);
  Set(SubMenuInputAudio, states.inputAudio);
  Set(SubMenuAutoAnswer, states.autoAnswer);
  Set(SubMenuStatistics, states.statistics);
  Set(SubMenuDialMode, states.dialMode);
  if (states.dialControls >= 0)
    SetDialControls(states.dialControls != 0);
  if (states.connectStatus)
    LabelConnectStatus->setText(QString::fromLatin1(states.connectStatus));
  if (states.message)
    SetMessage(QString::fromLatin1(states.message), states.messageRed ? kColourRed : kColourBlack);
  if (states.setsDialControlsDisabled)
    MMain.DialControlsDisabled = true;
  if (states.firmwareNotAvailable)
    LabelProduct->setText(QString::fromLatin1(kFirmwareNotAvailable));
  // Which property holds auto answer depends on the firmware: without a
  // known version it cannot be set.
  if (!modem_options::KnownFirmwareVersion(LabelProduct->text()))
    SubMenuAutoAnswer->setEnabled(false);

  switch (row) {
    case Row::FirstModemReady:
    case Row::ExternalModemReady: StartStatusDisplay(); break;
    case Row::NoAnswerFirstModem: ShowModemDetails(false); break;
    case Row::NoAnswerExternalModem: ShowModemDetails(true); break;
    default: break;
  }
}

void fMain::ShowModemDetails(bool resetInputAudio) {
  if (resetInputAudio)
    modem_options::ResetInputAudio(*this);
  if (!DialModeProperty && TheLMObject) {
    try {
      DialModeProperty = TheLMObject->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"));
    } catch (const lns::LnsError&) {
      // An object without a dial mode shows no mark.
    }
  }
  dial_modes::ShowDialMode(*this, DialModeProperty, TheDevice, DialStringProperty);
  modem_options::ShowAutoAnswer(*this, TheLMObject);
}

void fMain::FillPhoneList() {
  ComboPhone->clear();
  if (DialStringProperty) {
    try {
      platform::BusyCursor busy;
      phonebook::FillPhoneListLonMark(ComboPhone, TheDevice, DialStringProperty);
    } catch (const lns::LnsError&) {
      // An unreadable phonebook leaves the list as far as it got.
    }
  }
  ComboPhone->setCurrentIndex(-1);
  ComboPhone->setEditText(QString());
}
