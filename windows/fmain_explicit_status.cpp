// fMainExplicit's status poll and modem choice: the chosen modem's telephone
// state and connection details from explicit messages every two seconds, and
// what choosing a modem in ComboModem shows and enables.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "device_protocol/failure_reports.h"
#include "device_protocol/modem.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "device_protocol/status_tables.h"
#include "host/mmain.h"
#include "platform/ui_services.h"
#include "windows/dial_modes.h"
#include "windows/fmain_explicit.h"
#include "windows/modem_options.h"

using namespace device_protocol;

namespace {

ModemNames Names() {
  return {MMain.InternalModemObjectName, MMain.ExternalModem1ObjectName, MMain.ExternalModem2ObjectName};
}

}  // namespace

void fMainExplicit::ModemSelection() {
  platform::BusyCursor busy;
  ComboPhone->clear();
  CurrentRecord.reset();
  if (TheDevice) {
    try {
      CurrentRecord = TheDevice->Extensions()->Item(QString::fromLatin1(modem_options::kAutoAnswerRecord));
    } catch (const lns::LnsError&) {
      // Without the record auto answer shows unchecked.
    }
  }
  const QString name = ComboModem->currentText();
  if (name.isEmpty())
    return;
  const Modem modem = ExplicitWindowModem(name, Names());
  QString field;
  if (CurrentRecord) {
    try {
      field = CurrentRecord->Field(AutoAnswerField(modem));
    } catch (const lns::LnsError&) {
    }
  }
  SubMenuAutoAnswer->setChecked(field == QLatin1String("1"));

  const ModemSelector selector = SelectorOf(modem);
  const QString reply = Send(ModemStatus(selector));
  if (IsFailureReply(reply)) {
    const FailureMessage& failure = CheckModemStatusFailed(modem);
    Report(failure.text(reply), failure.titleText());
  } else if (ModemIsReady(reply)) {
    for (QAction* a : {SubMenuReboot, SubMenuPulse, SubMenuAutoAnswer, SubMenuStatistics})
      a->setEnabled(true);
    SetDialControls(true);
    // Input audio is the internal modem's only.
    SubMenuInputAudio->setEnabled(modem == Modem::Internal);
    dial_modes::ReadDialMode(*this, TheDevice, selector, PhonebookSupported);
  } else {
    ShowNotReady();
  }
}

void fMainExplicit::Timer2Tick() {
  // A tick that lets window events run may meet the next tick inside them;
  // that one is skipped.
  if (polling_ || !TheDevice)
    return;
  polling_ = true;
  QPointer<fMainExplicit> self(this);
  auto done = [&] {
    if (!self)
      return;
    polling_ = false;
    // The next tick comes a full interval after this one ended, so a device
    // slow to answer never keeps the window busy from one tick to the next.
    if (Timer2->isActive())
      Timer2->start();
  };

  platform::ui().processEvents();
  if (!self || !TheDevice)
    return done();
  const ModemSelector selector = SelectorOf(ExplicitWindowModem(ComboModem->currentText(), Names()));
  const QString reply = Send(ModemStatus(selector));
  if (!ModemIsReady(reply)) {
    LabelConnectStatus->setText(QString());
    return done();
  }
  const ReplyValues values = SplitReplyText(reply);
  ListData->clear();
  ListData->addItems(values.list());
  ModemStateCode = values[3];
  if (const std::optional<QString> state = TelephoneState(ModemStateCode))
    LabelConnectStatus->setText(*state);

  if (ModemStateCode == QLatin1String("0")) {
    if (!MenuPerpetual->isChecked()) {
      LabelMessage->setText(QString());
      CmdDial->setEnabled(true);
      ComboPhone->setEnabled(true);
      ComboModem->setEnabled(true);
    }
  } else if (ModemStateCode == QLatin1String("9")) {
    const QString connection = Send(ConnectionDetails(selector));
    platform::ui().processEvents();
    if (!self)
      return done();
    const ReplyValues details = SplitReplyText(connection);
    ListData->clear();
    ListData->addItems(details.list());
    SetMessage(ConnectionLine(details), kColourBlack);
  }

  const bool free = LabelConnectStatus->text() == QLatin1String(kTelNotInUse);
  CmdDial->setEnabled(free);
  ComboPhone->setEnabled(free);
  done();
}
