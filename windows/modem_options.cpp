#include "modem_options.h"

#include <QAction>
#include <QLabel>

#include "device_protocol/failure_reports.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "platform/ui_services.h"
#include "windows/device_window.h"

namespace modem_options {

using namespace device_protocol;

double FirmwareVersion(const QString& labelProductText) { return NumericPrefix(labelProductText.right(5)); }

AutoAnswerProperty AutoAnswerPropertyFor(double firmwareVersion) {
  if (firmwareVersion < 3.2)
    return {QStringLiteral("UCPT_AAnswer"), QStringLiteral("1.1 1"), QStringLiteral("0.0 0")};
  return {QStringLiteral("UCPT_AutoAnswer"), QStringLiteral("True"), QStringLiteral("False")};
}

void ShowAutoAnswer(DeviceWindow& window, const lns::LonMarkObjectPtr& modemObject) {
  if (!modemObject)
    return;
  const AutoAnswerProperty property = AutoAnswerPropertyFor(FirmwareVersion(window.LabelProduct->text()));
  try {
    platform::BusyCursor busy;
    const QString value = modemObject->ConfigProperties()->Item(property.name)->Value();
    window.SubMenuAutoAnswer->setChecked(value != property.offValue);
  } catch (const lns::LnsError&) {
    // The device or the database did not answer: the mark stays.
  }
}

void ResetInputAudio(DeviceWindow& window) {
  window.SubMenuInputAudio->setChecked(false);
  QString reply;
  {
    platform::BusyCursor busy;
    reply = window.Send(UnmuteInputAudio());
  }
  if (IsFailureReply(reply))
    window.Report(kSetInputAudioFailed.text(reply), kSetInputAudioFailed.titleText());
}

void InitialiseAutoAnswer(DeviceWindow& window, const lns::AppDevicePtr& device) {
  platform::BusyCursor busy;
  std::shared_ptr<lns::ExtensionRecords> records;
  try {
    records = device->Extensions();
    records->Item(QString::fromLatin1(kAutoAnswerRecord));
    return;  // the setting exists: nothing is sent
  } catch (const lns::LnsError& e) {
    // Only a missing record is set up; a database that cannot be read is
    // left alone rather than overwritten.
    if (e.number() != lns::kErrNotFound || !records)
      return;
  }
  try {
    lns::ExtensionRecordPtr record = records->Add(QString::fromLatin1(kAutoAnswerRecord));
    for (int field = 1; field <= 3; ++field)
      record->SetField(field, QStringLiteral("1"));
  } catch (const lns::LnsError&) {
    // The device is still set; the record is made again at the next open.
  }
  for (Modem m : {Modem::Internal, Modem::External1, Modem::External2}) {
    const QString reply = window.Send(AutoAnswerOn(SelectorOf(m)));
    if (IsFailureReply(reply)) {
      const FailureMessage& failure = SetModemAutoAnswerFailed(m);
      window.Report(failure.text(reply), failure.titleText());
    }
  }
}

}  // namespace modem_options
