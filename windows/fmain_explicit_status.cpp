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
    // The reply carries the modem's telephone state: it shows at once, not
    // the previous modem's until the next poll.
    ModemStateCode = SplitReplyText(reply)[3];
    const std::optional<QString> state = TelephoneState(ModemStateCode);
    LabelConnectStatus->setText(state ? *state : QString());
    // Input audio is the internal modem's only.
    SubMenuInputAudio->setEnabled(modem == Modem::Internal);
    dial_modes::ReadDialMode(*this, TheDevice, selector, PhonebookSupported);
    if (LabelConnectStatus->text() != QLatin1String(kTelNotInUse)) {
      CmdDial->setEnabled(false);
      ComboPhone->setEnabled(false);
    }
    // Input audio is unmuted whenever the window shows the internal modem.
    if (modem == Modem::Internal)
      modem_options::ResetInputAudio(*this);
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
    // slow to answer never keeps the window busy from one tick to the next;
    // while the router is silent the interval grows.
    if (Timer2->isActive())
      Timer2->start(StatusPollInterval());
    else
      Timer2->setInterval(StatusPollInterval());
  };

  platform::ui().processEvents();
  if (!self || !TheDevice)
    return done();
  const ModemSelector selector = SelectorOf(ExplicitWindowModem(ComboModem->currentText(), Names()));
  const QString reply = Send(ModemStatus(selector));
  if (!self)
    return done();
  // A router that does not answer: the operator is told, and nothing shows a
  // call that may be gone.
  if (reply == QLatin1String(kMessageTimeout)) {
    PollAnswered(false);
    ShowRouterSilent(QStringLiteral("No Response from RLX"));
    return done();
  }
  if (RouterSilent()) {
    PollAnswered(true);
    ShowRouterBack();
  }
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

  // In perpetual mode the modem redials by itself: the dial controls stay
  // off between its calls until Manual.
  const bool free = LabelConnectStatus->text() == QLatin1String(kTelNotInUse) && !MenuPerpetual->isChecked();
  CmdDial->setEnabled(free);
  ComboPhone->setEnabled(free);
  done();
}
