// fMain's status display: the shown modem's telephone state and connection
// text from its status variables, kept current by Timer1 and the Object
// Server's update event, and the dial controls following the line.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "device_protocol/modem.h"
#include "device_protocol/status_tables.h"
#include "host/mmain.h"
#include "platform/ui_services.h"
#include "windows/fmain.h"
#include "windows/modem_options.h"

using namespace device_protocol;

namespace {

constexpr int kStatusInterval = 2000;

struct ModemVariables {
  const char* status;
  const char* statusText;
  const char* dial;
};

std::optional<ModemVariables> VariablesOf(const QString& objectName) {
  const std::optional<Modem> modem = ModemObjectByName(
      objectName, {MMain.InternalModemObjectName, MMain.ExternalModem1ObjectName, MMain.ExternalModem2ObjectName});
  if (!modem)
    return std::nullopt;
  switch (*modem) {
    case Modem::Internal: return ModemVariables{"nvoCnctStat1", "nvoCnctStr1", "nviDialStr1"};
    case Modem::External1: return ModemVariables{"nvoCnctStat2", "nvoCnctStr2", "nviDialStr2"};
    case Modem::External2: return ModemVariables{"nvoCnctStatEx2", "nvoCnctStrEx2", "nviDialStrEx2"};
  }
  return std::nullopt;
}

}  // namespace

void fMain::StartStatusDisplay() {
  const std::optional<ModemVariables> names = VariablesOf(strLonProgramName);
  if (!names || !TheLMObject)
    return;
  const bool internal = strLonProgramName == MMain.InternalModemObjectName;
  {
    platform::BusyCursor busy;
    StatusNvName = QString::fromLatin1(names->status);
    // A variable that cannot be read now keeps the texts; the ticks try again.
    try {
      auto variables = TheLMObject->NetworkVariables();
      StatusNv = variables->Item(StatusNvName);
      LastStatusText = StatusNv->Value();
      LabelConnectStatus->setText(LastStatusText);
      StatusTextNv = variables->Item(QString::fromLatin1(names->statusText));
      const QString text = StatusTextNv->Value();
      SetMessage(internal ? text.trimmed() : text, kColourBlack);
    } catch (const lns::LnsError&) {
    }
  }
  Timer1->setInterval(kStatusInterval);
  Timer1->start();

  // The menus and the phone list of the ready row, the modem's options.
  FillPhoneList();
  if (internal)
    modem_options::ResetInputAudio(*this);
  ShowModemDetails(false);

  if (LastStatusText != QLatin1String(kTelNotInUse) || SubMenuLocalPerpetual->isChecked()) {
    CmdDial->setEnabled(false);
    DialStringDisplay();
  }
}

void fMain::Timer1Tick() {
  if (!TheLMObject || StatusNvName.isEmpty())
    return;
  // The next tick comes a full interval after this one ended, so a device
  // slow to answer never keeps the window busy from one tick to the next;
  // while the router is silent the interval grows.
  auto next = [this] {
    if (Timer1->isActive())
      Timer1->start(StatusPollInterval());
    else
      Timer1->setInterval(StatusPollInterval());
  };
  try {
    StatusNv = TheLMObject->NetworkVariables()->Item(StatusNvName);
    LastStatusText = StatusNv->Value();
  } catch (const lns::LnsError& e) {
    // A router that does not answer: the operator is told, and nothing shows
    // a call that may be gone. Other failures (the database is busy) keep
    // the texts; the next tick tries again.
    if (e.number() == lns::kErrDeviceNoResponse) {
      PollAnswered(false);
      ShowRouterSilent(QStringLiteral("No response from ") + DeviceName());
    }
    return next();
  }
  if (RouterSilent()) {
    PollAnswered(true);
    ShowRouterBack();
  }
  LabelConnectStatus->setText(LastStatusText);
  // In perpetual mode the modem redials by itself: the dial controls stay
  // off between its calls until Manual.
  if (LastStatusText != QLatin1String(kTelNotInUse) || SubMenuLocalPerpetual->isChecked()) {
    if (CmdDial->isEnabled()) {
      CmdDial->setEnabled(false);
      ComboPhone->setEnabled(false);
    }
  } else if (!CmdDial->isEnabled()) {
    CmdDial->setEnabled(true);
    ComboPhone->setEnabled(true);
  }
  next();
}

void fMain::OnUpdateEvent(qint32 code, const QString&, const lns::ObjectPtr&) {
  // Until a modem is shown there is no status to follow.
  if (!StatusNv)
    return;
  try {
    if (code == 1) {
      const QString state = StatusNv->Value();
      LabelConnectStatus->setText(state);
      if (state == QLatin1String(kTelNotInUse) && SubMenuManual->isChecked()) {
        CmdDial->setEnabled(true);
        ComboPhone->setEnabled(true);
        SubMenuReboot->setEnabled(true);
        SubMenuPulse->setEnabled(true);
      }
    }
    SetLabelColour(LabelMessage, kColourBlack);
    if (StatusNv->Value() == QLatin1String(kTelTalking)) {
      ComboPhone->setEnabled(false);
      CmdDial->setEnabled(false);
      LabelMessage->setText(StatusTextNv ? StatusTextNv->Value().trimmed() : QString());
    } else {
      LabelMessage->setText(QString());
    }
  } catch (const lns::LnsError&) {
    // A variable that cannot be read now: the next event or tick shows it.
  }
}

void fMain::DialStringDisplay() {
  const std::optional<ModemVariables> names = VariablesOf(strLonProgramName);
  if (!names || !TheLMObject)
    return;
  QPointer<fMain> self(this);
  try {
    platform::BusyCursor busy;
    CurrentNv = TheLMObject->NetworkVariables()->Item(QString::fromLatin1(names->dial));
    const QString value = CurrentNv->Value();
    if (SubMenuManual->isChecked()) {
      ComboPhone->setEditText(value);
      if (DialStringProperty) {
        const qint32 count = DialStringProperty->ElementCount();
        auto records = TheDevice->Extensions();
        for (qint32 i = 0; i < count; ++i) {
          QString description;
          try {
            DescriptionRecord = records->Item(QStringLiteral("ZevPhoneBook") + QString::number(i));
            description = DescriptionRecord->Field(1);
          } catch (const lns::LnsError&) {
            continue;  // an entry without a description record
          }
          if (!description.isEmpty() && DialStringProperty->Element(i).trimmed() == value)
            ComboPhone->setEditText(description);
        }
      }
    }
  } catch (const lns::LnsError&) {
    // The dial string cannot be read now: the field keeps its text.
  }
  platform::ui().processEvents();
}
