#include "dial_modes.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "phonebook/phonebook_sync.h"
#include "platform/ui_services.h"
#include "windows/device_window.h"

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

bool ShowDialMode(DeviceWindow& window, const lns::ConfigPropertyPtr& dialModeProperty,
                  const lns::AppDevicePtr& device, const lns::ConfigPropertyPtr& dialStringProperty) {
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
      lns::ExtensionRecordPtr record =
          device->Extensions()->Item(QStringLiteral("ZevExplicitPhonebook") + mode->entry);
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
