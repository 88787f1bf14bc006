// fMain's calls and modem commands: dialling a typed number or a phonebook
// entry through the modem object's dial variable, call cancel, and the menu
// commands of the modem and device options.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "device_protocol/dial_mode.h"
#include "device_protocol/failure_reports.h"
#include "device_protocol/modem.h"
#include "host/mmain.h"
#include "platform/ui_services.h"
#include "windows/dial_modes.h"
#include "windows/fmain.h"
#include "windows/modem_options.h"

using namespace device_protocol;

namespace {

struct CallVariables {
  const char* dial;
  const char* cancel;
};

// The dial and call-cancel variables of a modem object.
std::optional<CallVariables> CallVariablesOf(const QString& objectName) {
  const std::optional<Modem> modem = ModemObjectByName(
      objectName, {MMain.InternalModemObjectName, MMain.ExternalModem1ObjectName, MMain.ExternalModem2ObjectName});
  if (!modem)
    return std::nullopt;
  switch (*modem) {
    case Modem::Internal: return CallVariables{"nviDialStr1", "nviCallCancel1"};
    case Modem::External1: return CallVariables{"nviDialStr2", "nviCallCancel2"};
    case Modem::External2: return CallVariables{"nviDialStrEx2", "nviCallCancelEx2"};
  }
  return std::nullopt;
}

}  // namespace

lns::ConfigPropertyPtr fMain::DialModeOfModem() {
  if (!DialModeProperty && TheLMObject && CallVariablesOf(strLonProgramName)) {
    try {
      DialModeProperty = TheLMObject->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"));
    } catch (const lns::LnsError&) {
      // An object without a dial mode: nothing to record.
    }
  }
  return DialModeProperty;
}

void fMain::Dial() {
  // In perpetual mode the modem keeps its own line; the field shows that,
  // and its text is no number to dial.
  if (SubMenuLocalPerpetual->isChecked())
    return;
  platform::BusyCursor busy;
  const QString text = ComboPhone->currentText();
  if (text.isEmpty()) {
    Report(QStringLiteral("Please Select or type a phone number to dial."), QStringLiteral("Notice"));
    ComboPhone->setFocus();
    return;
  }
  const std::optional<CallVariables> variables = CallVariablesOf(strLonProgramName);
  if (!variables || !TheLMObject)
    return;
  const QString dialVariable = QString::fromLatin1(variables->dial);

  if (!PhoneLineChosen()) {
    // A typed number goes to the modem as it was typed, blanks included.
    try {
      CurrentNv = TheLMObject->NetworkVariables()->Item(dialVariable);
      CurrentNv->SetValue(text);
    } catch (const lns::LnsError&) {
      // Not reported: the status display shows whether a call started.
    }
  } else {
    std::optional<dial_modes::PhonebookEntry> entry;
    try {
      entry = dial_modes::LonMarkEntryNamed(TheDevice, DialStringProperty, text);
    } catch (const lns::LnsError& e) {
      Report(e.description(), QString::fromLatin1(kPlugInTitle));
      return;
    }
    if (!entry) {
      Report(dial_modes::NoSuchEntryText(text), QStringLiteral("Notice"));
      return;
    }
    try {
      CurrentNv = TheLMObject->NetworkVariables()->Item(dialVariable);
      CurrentNv->SetValue(entry->number.trimmed());
      // The modem stays in manual mode, pointing at the entry dialled.
      if (const lns::ConfigPropertyPtr dialMode = DialModeOfModem()) {
        dialMode->SetValue(DialModeManualEntryText(entry->index));
        dial_modes::SetMarks(*this, DialMode::Manual);
      }
    } catch (const lns::LnsError&) {
      // Not reported: the status display shows whether a call started.
    }
  }
  CmdDial->setEnabled(false);
  ComboPhone->setEnabled(false);
}

void fMain::CallCancel() {
  platform::BusyCursor busy;
  if (const std::optional<CallVariables> variables = CallVariablesOf(strLonProgramName); variables && TheLMObject) {
    try {
      CurrentNv = TheLMObject->NetworkVariables()->Item(QString::fromLatin1(variables->cancel));
      CurrentNv->SetValue(QStringLiteral("1 1"));
    } catch (const lns::LnsError& e) {
      // The status display shows the line; a router that did not take the
      // cancel is named, since the call may still be up.
      if (e.number() == lns::kErrDeviceNoResponse || RouterSilent())
        ReportCallCancelUnconfirmed();
    }
  }
  if (SubMenuManual->isChecked())
    ClearPhoneText();
}

// --- menu commands ----------------------------------------------------------------

void fMain::onSubMenuPulse() { modem_options::PulseServicePin(*this); }
void fMain::onSubMenuReboot() { modem_options::SoftRebootLonMark(*this); }
void fMain::onSubMenuAutoAnswer() { modem_options::ToggleAutoAnswerLonMark(*this, TheLMObject); }
void fMain::onSubMenuInputAudio() { modem_options::ToggleInputAudio(*this, false); }
void fMain::onSubMenuManual() { dial_modes::SetManualLonMark(*this, DialModeOfModem()); }
void fMain::onSubMenuLocalPerpetual() {
  dial_modes::OpenPerpetualLonMark(*this, TheDevice, TheLMObject, DialStringProperty);
}
void fMain::onMenuDialOnDemand() { dial_modes::OpenDialOnDemand(*this, TheLMObject); }
void fMain::onCmdDial() { Dial(); }
void fMain::onCmdCallCancel() { CallCancel(); }
