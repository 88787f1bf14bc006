// fMainExplicit's calls and modem commands: dialling a typed number or a
// phonebook entry with an explicit message (switching the modem's auto answer
// off first for a phonebook entry), call cancel, and the menu commands of the
// modem and device options.
#include <QAction>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>

#include "device_protocol/failure_reports.h"
#include "device_protocol/modem.h"
#include "device_protocol/requests.h"
#include "platform/ui_services.h"
#include "windows/dial_modes.h"
#include "windows/fmain_explicit.h"
#include "windows/modem_options.h"

using namespace device_protocol;

void fMainExplicit::Dial() {
  // A click that arrives while the auto-answer wait lets events run is not a
  // second call.
  if (dialing_)
    return;
  // In perpetual mode the modem keeps its own line; the field shows that,
  // and its text is no number to dial.
  if (MenuPerpetual->isChecked())
    return;
  const QString text = ComboPhone->currentText();
  if (text.isEmpty()) {
    Report(QStringLiteral("Please Select or type a phone number to dial."), QStringLiteral("Notice"));
    ComboPhone->setFocus();
    return;
  }
  platform::BusyCursor busy;
  QPointer<fMainExplicit> self(this);
  dialing_ = true;
  auto done = qScopeGuard([&self] {
    if (self)
      self->dialing_ = false;
  });
  const Modem modem = modem_options::ExplicitModemOf(*this);
  // A typed number goes to the modem as it was typed, blanks included.
  QString dialString = text;
  std::optional<modem_options::AutoAnswerOffOutcome> autoAnswerOff;
  if (PhoneLineChosen()) {
    std::optional<dial_modes::PhonebookEntry> entry;
    try {
      entry = dial_modes::ExplicitEntryNamed(TheDevice, text);
    } catch (const lns::LnsError& e) {
      Report(e.description(), QString::fromLatin1(kPlugInTitle));
      return;
    }
    if (!entry) {
      Report(dial_modes::NoSuchEntryText(text), QStringLiteral("Notice"));
      return;
    }
    dialString = entry->number.trimmed();
    // The modem must not answer a call of its own meanwhile. External modem 2
    // does not report the hang-up this causes, so it is not waited for.
    autoAnswerOff = modem_options::SwitchAutoAnswerOff(*this, ListData, TheDevice, modem, modem != Modem::External2);
    if (!self)
      return;
  }
  Send(DialNumber(SelectorOf(modem), dialString));  // the reply is not examined
  CmdDial->setEnabled(false);
  ComboPhone->setEnabled(false);

  // The call is on its way; now the operator hears what the wait found.
  if (autoAnswerOff && !autoAnswerOff->switchedOff)
    Report(kSetAutoAnswerFailed.text(autoAnswerOff->failureReply), kSetAutoAnswerFailed.titleText());
  else if (autoAnswerOff && modem != Modem::External2 && !autoAnswerOff->confirmed)
    Report(QStringLiteral("Auto Answer could not be confirmed off before dialing."), QStringLiteral("Notice"));
}

void fMainExplicit::CallCancel() {
  platform::BusyCursor busy;
  Link().SendNoResponse(HangUp(SelectorOf(modem_options::ExplicitModemOf(*this))));
  if (RouterSilent())
    ReportCallCancelUnconfirmed();
  if (MenuManual->isChecked()) {
    CmdDial->setEnabled(true);
    ComboPhone->setEnabled(true);
    ComboModem->setEnabled(true);
    ClearPhoneText();
  }
}

// --- menu commands ----------------------------------------------------------------

void fMainExplicit::onSubMenuPulse() { modem_options::PulseServicePin(*this); }
void fMainExplicit::onSubMenuReboot() { modem_options::SoftRebootExplicit(*this); }
void fMainExplicit::onSubMenuAutoAnswer() { modem_options::ToggleAutoAnswerExplicit(*this, TheDevice); }
void fMainExplicit::onSubMenuInputAudio() { modem_options::ToggleInputAudio(*this, true); }
void fMainExplicit::onMenuManual() {
  dial_modes::SetManualExplicit(*this);
  ComboModem->setEnabled(true);
}
void fMainExplicit::onMenuPerpetual() { dial_modes::OpenPerpetualExplicit(*this, TheDevice); }
void fMainExplicit::onCmdDial() { Dial(); }
void fMainExplicit::onCmdCallCancel() { CallCancel(); }
