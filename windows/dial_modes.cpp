#include "dial_modes.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "device_protocol/failure_reports.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "host/mmain.h"
#include "phonebook/phonebook_sync.h"
#include "platform/ui_services.h"
#include "windows/device_window.h"
#include "windows/fdialondemand.h"
#include "windows/fperpetual.h"
#include "windows/modem_options.h"

namespace dial_modes {

using namespace device_protocol;

void SetMarks(DeviceWindow& window, DialMode mode) {
  window.ManualItem->setChecked(mode == DialMode::Manual);
  window.PerpetualItem->setChecked(mode == DialMode::Perpetual);
  window.MenuDialOnDemand->setChecked(mode == DialMode::DialOnDemand);
}

QString PerpetualText(const QString& entry) {
  return QStringLiteral("Dialing ") + entry + QStringLiteral(" in Perpetual Mode.");
}

bool ShowDialMode(DeviceWindow& window, const lns::ConfigPropertyPtr& dialModeProperty, const lns::AppDevicePtr& device,
                  const lns::ConfigPropertyPtr& dialStringProperty) {
  if (!dialModeProperty)
    return false;
  platform::BusyCursor busy;
  DialModeSetting setting;
  try {
    setting = ParseDialModeText(dialModeProperty->Value());
  } catch (const lns::LnsError&) {
    return false;  // the marks stay as they are
  }
  SetMarks(window, setting.mode);
  if (setting.mode != DialMode::Perpetual)
    return true;
  QString entry;
  try {
    entry = device->Extensions()->Item(QStringLiteral("ZevPhoneBook") + QString::number(setting.entry))->Field(1);
  } catch (const lns::LnsError&) {
    // No description: the dial string names the entry.
  }
  if (entry.isEmpty() && dialStringProperty) {
    try {
      entry = dialStringProperty->Element(setting.entry);
    } catch (const lns::LnsError&) {
      // An entry the phonebook does not hold shows as an empty name.
    }
  }
  window.ComboPhone->setEditText(PerpetualText(entry));
  window.ComboPhone->setEnabled(false);
  return true;
}

void ReadDialMode(DeviceWindow& window, const lns::AppDevicePtr& device, ModemSelector selector,
                  bool phonebookSupported) {
  if (!phonebookSupported)
    return;
  platform::BusyCursor busy;
  window.ComboPhone->clear();
  try {
    phonebook::FillPhoneListExplicit(window.ComboPhone, device);
  } catch (const lns::LnsError&) {
    // An unreadable phonebook leaves the list empty.
  }
  window.ComboPhone->setCurrentIndex(-1);
  window.ComboPhone->setEditText(QString());

  const QString reply = window.Send(device_protocol::ReadDialMode(selector));
  const ReplyValues values = SplitReplyText(reply);
  window.ListData->clear();
  window.ListData->addItems(values.list());
  const std::optional<ExplicitDialMode> mode = IsFailureReply(reply) ? std::nullopt : ExplicitDialModeFromReply(reply);
  if (mode && !mode->perpetual) {
    window.ManualItem->setChecked(true);
    window.PerpetualItem->setChecked(false);
  } else if (mode) {
    window.PerpetualItem->setChecked(true);
    window.ManualItem->setChecked(false);
    QString entry;
    try {
      lns::ExtensionRecordPtr record = device->Extensions()->Item(QStringLiteral("ZevExplicitPhonebook") + mode->entry);
      entry = record->Field(2);
      if (entry.isEmpty())
        entry = record->Field(1);
    } catch (const lns::LnsError&) {
      // An entry without a record shows as an empty name.
    }
    window.ComboPhone->setEditText(PerpetualText(entry));
    window.ComboPhone->setEnabled(false);
    window.CmdDial->setEnabled(false);
  }
  window.MenuPhoneBook->setEnabled(true);
  window.SubMenuDialMode->setEnabled(true);
}

}  // namespace dial_modes

// --- the phonebook entry a list line names -------------------------------------------

namespace dial_modes {

std::optional<PhonebookEntry> LonMarkEntryNamed(const lns::AppDevicePtr& device,
                                                const lns::ConfigPropertyPtr& dialStrings, const QString& text) {
  if (!device || !dialStrings)
    return std::nullopt;
  const qint32 count = dialStrings->ElementCount();
  auto records = device->Extensions();
  for (qint32 i = 0; i < count; ++i) {
    const QString number = dialStrings->Element(i);
    if (number.trimmed().isEmpty())
      continue;
    QString description;
    try {
      description = records->Item(QStringLiteral("ZevPhoneBook") + QString::number(i))->Field(1);
    } catch (const lns::LnsError& e) {
      if (e.number() != lns::kErrNotFound)
        throw;  // an entry without its record has no description
    }
    if (number == text || (!description.isEmpty() && description == text))
      return PhonebookEntry{i, number};
  }
  return std::nullopt;
}

std::optional<PhonebookEntry> ExplicitEntryNamed(const lns::AppDevicePtr& device, const QString& text) {
  if (!device)
    return std::nullopt;
  auto records = device->Extensions();
  for (int i = 0; i < 64; ++i) {
    lns::ExtensionRecordPtr record;
    try {
      record = records->Item(QStringLiteral("ZevExplicitPhonebook") + QString::number(i));
    } catch (const lns::LnsError& e) {
      if (e.number() != lns::kErrNotFound)
        throw;
      continue;
    }
    const QString number = record->Field(1);
    if (number.trimmed().isEmpty())
      continue;
    const QString description = record->Field(2);
    if ((description.isEmpty() ? number : description) == text)
      return PhonebookEntry{i, number};
  }
  return std::nullopt;
}

QString NoSuchEntryText(const QString& text) {
  return QStringLiteral("\"") + text + QStringLiteral("\" is not an entry of the phonebook.");
}

// --- the menu commands ---------------------------------------------------------------------

void SetManualLonMark(DeviceWindow& window, const lns::ConfigPropertyPtr& dialModeProperty) {
  if (!dialModeProperty)
    return;
  platform::BusyCursor busy;
  try {
    dialModeProperty->SetValue(DialModeManualText());
  } catch (const lns::LnsError& e) {
    window.Report(e.description(), QString::fromLatin1(kPlugInTitle));
    return;
  }
  bool onNet = false;
  try {
    const lns::SystemPtr system = window.Link().system();
    onNet = system && system->MgmtMode() == 0;
  } catch (const lns::LnsError&) {
    // A system that cannot say is not taken to be on-net.
  }
  if (onNet && !MMain.DialControlsDisabled) {
    window.CmdDial->setEnabled(true);
    window.ComboPhone->setEnabled(true);
    window.SubMenuReboot->setEnabled(true);
    window.SubMenuPulse->setEnabled(true);
  }
  window.ComboPhone->setEditText(QString());
  SetMarks(window, DialMode::Manual);
}

void SetManualExplicit(DeviceWindow& window) {
  platform::BusyCursor busy;
  const Modem modem = modem_options::ExplicitModemOf(window);
  const QString reply = window.Send(device_protocol::SetManualMode(SelectorOf(modem)));
  if (IsFailureReply(reply)) {
    window.Report(kSetDialModeFailed.text(reply), kSetDialModeFailed.titleText());
  } else {
    window.ManualItem->setChecked(true);
    window.PerpetualItem->setChecked(false);
  }
  window.CmdDial->setEnabled(true);
  window.ComboPhone->setEnabled(true);
  window.ComboPhone->setEditText(QString());
}

namespace {

template <class Dialog>
Dialog* DialogOf(DeviceWindow& window) {
  if (auto* dialog = window.findChild<Dialog*>(QString(), Qt::FindDirectChildrenOnly))
    return dialog;
  return new Dialog(&window);
}

}  // namespace

void OpenPerpetualLonMark(DeviceWindow& window, const lns::AppDevicePtr& device,
                          const lns::LonMarkObjectPtr& modemObject, const lns::ConfigPropertyPtr& dialStrings) {
  if (!device || !modemObject)
    return;
  fPerpetual* dialog = DialogOf<fPerpetual>(window);
  {
    platform::BusyCursor busy;
    dialog->ComboPhonebook->clear();
    if (dialStrings)
      phonebook::FillPhoneListLonMark(dialog->ComboPhonebook, device, dialStrings);
    dialog->ComboPhonebook->setCurrentIndex(-1);
    dialog->GetObjects(device, modemObject, dialStrings);
  }
  platform::ui().showModal(dialog);
}

void OpenPerpetualExplicit(DeviceWindow& window, const lns::AppDevicePtr& device) {
  if (!device)
    return;
  fPerpetual* dialog = DialogOf<fPerpetual>(window);
  {
    platform::BusyCursor busy;
    dialog->ComboPhonebook->clear();
    phonebook::FillPhoneListExplicit(dialog->ComboPhonebook, device);
    dialog->ComboPhonebook->setCurrentIndex(-1);
    dialog->GetDevice(device);
  }
  platform::ui().showModal(dialog);
}

void CloseDialogs(DeviceWindow& window) {
  for (fPerpetual* dialog : window.findChildren<fPerpetual*>(QString(), Qt::FindDirectChildrenOnly))
    dialog->Abandon();
  for (fDialOnDemand* dialog : window.findChildren<fDialOnDemand*>(QString(), Qt::FindDirectChildrenOnly))
    dialog->Abandon();
}

void OpenDialOnDemand(DeviceWindow& window, const lns::LonMarkObjectPtr& modemObject) {
  if (!modemObject)
    return;
  fDialOnDemand* dialog = DialogOf<fDialOnDemand>(window);
  dialog->Load(modemObject);
  platform::ui().showModeless(dialog);
}

}  // namespace dial_modes
