#include "modem_options.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <optional>

#include "device_protocol/failure_reports.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "host/mmain.h"
#include "platform/ui_services.h"
#include "windows/device_window.h"
#include "windows/waits.h"

namespace modem_options {

using namespace device_protocol;

double FirmwareVersion(const QString& labelProductText) { return NumericPrefix(labelProductText.right(5)); }

std::optional<double> KnownFirmwareVersion(const QString& labelProductText) {
  const QString firmware = labelProductText.section(u':', 1).trimmed();
  if (firmware.isEmpty() || firmware == QLatin1String("<not available>"))
    return std::nullopt;
  return FirmwareVersion(labelProductText);
}

AutoAnswerProperty AutoAnswerPropertyFor(double firmwareVersion) {
  if (firmwareVersion < 3.2)
    return {QStringLiteral("UCPT_AAnswer"), QStringLiteral("1.1 1"), QStringLiteral("0.0 0")};
  return {QStringLiteral("UCPT_AutoAnswer"), QStringLiteral("True"), QStringLiteral("False")};
}

void ShowAutoAnswer(DeviceWindow& window, const lns::LonMarkObjectPtr& modemObject) {
  if (!modemObject)
    return;
  const std::optional<double> version = KnownFirmwareVersion(window.LabelProduct->text());
  if (!version) {
    window.SubMenuAutoAnswer->setEnabled(false);
    return;
  }
  const AutoAnswerProperty property = AutoAnswerPropertyFor(*version);
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

// --- the menu commands -------------------------------------------------------------

namespace {

ModemNames Names() {
  return {MMain.InternalModemObjectName, MMain.ExternalModem1ObjectName, MMain.ExternalModem2ObjectName};
}

void ReportDatabaseError(DeviceWindow& window, const lns::LnsError& e) {
  window.Report(e.description(), QString::fromLatin1(kPlugInTitle));
}

// The auto-answer record of the device, made when it is missing.
lns::ExtensionRecordPtr AutoAnswerRecord(const lns::AppDevicePtr& device) {
  auto records = device->Extensions();
  try {
    return records->Item(QString::fromLatin1(kAutoAnswerRecord));
  } catch (const lns::LnsError& e) {
    if (e.number() != lns::kErrNotFound)
      throw;
  }
  return records->Add(QString::fromLatin1(kAutoAnswerRecord));
}

// Marks a window's reboot as running while it lives; a second reboot of the
// same window meanwhile is refused.
class RebootGuard {
 public:
  explicit RebootGuard(DeviceWindow& window) : window_(&window) {
    started_ = !window.property(kRunning).toBool();
    if (started_)
      window.setProperty(kRunning, true);
  }
  ~RebootGuard() {
    if (started_ && window_)
      window_->setProperty(kRunning, false);
  }
  RebootGuard(const RebootGuard&) = delete;
  RebootGuard& operator=(const RebootGuard&) = delete;
  bool started() const { return started_; }

 private:
  static constexpr char kRunning[] = "rebootRunning";
  QPointer<DeviceWindow> window_;
  bool started_ = false;
};

// Whether a loop of the window may go on after a pause: the window is still
// there and still shows the device the loop waits for.
bool StillWaiting(const QPointer<DeviceWindow>& window, const lns::AppDevicePtr& device) {
  return window && window->device() == device;
}

// The status poll rests while a reboot is waited for (a poll of the restarting
// router would only hold the window for its time-out), and goes on after it.
class PollingSuspended {
 public:
  explicit PollingSuspended(DeviceWindow& window) : window_(&window), wasPolling_(window.StatusTimer()->isActive()) {
    window.StatusTimer()->stop();
  }
  ~PollingSuspended() {
    if (window_ && wasPolling_)
      window_->StatusTimer()->start(window_->StatusPollInterval());
  }
  PollingSuspended(const PollingSuspended&) = delete;
  PollingSuspended& operator=(const PollingSuspended&) = delete;

 private:
  QPointer<DeviceWindow> window_;
  bool wasPolling_;
};

void ReportNotBack(const QPointer<DeviceWindow>& window, const lns::AppDevicePtr& device,
                   const RebootOutcome& outcome) {
  if (outcome.deviceBack || !StillWaiting(window, device))
    return;
  window->Report(QStringLiteral("The RLX did not come back within 3 minutes of the Soft Reboot. Check the router, "
                                "then open it again."),
                 QStringLiteral("Error!"));
}

}  // namespace

Modem ExplicitModemOf(DeviceWindow& window) { return ExplicitWindowModem(window.modemName(), Names()); }

void ToggleAutoAnswerLonMark(DeviceWindow& window, const lns::LonMarkObjectPtr& modemObject) {
  const std::optional<double> version = KnownFirmwareVersion(window.LabelProduct->text());
  if (!modemObject || !version)
    return;
  platform::BusyCursor busy;
  const AutoAnswerProperty property = AutoAnswerPropertyFor(*version);
  const bool switchOn = !window.SubMenuAutoAnswer->isChecked();
  try {
    modemObject->ConfigProperties()->Item(property.name)->SetValue(switchOn ? property.onValue : property.offValue);
    window.SubMenuAutoAnswer->setChecked(switchOn);
  } catch (const lns::LnsError& e) {
    ReportDatabaseError(window, e);
  }
}

void ToggleAutoAnswerExplicit(DeviceWindow& window, const lns::AppDevicePtr& device) {
  if (!device)
    return;
  platform::BusyCursor busy;
  const Modem modem = ExplicitModemOf(window);
  const bool switchOn = !window.SubMenuAutoAnswer->isChecked();
  const ModemSelector selector = SelectorOf(modem);
  const QString reply = window.Send(switchOn ? AutoAnswerOn(selector) : AutoAnswerOff(selector));
  if (IsFailureReply(reply)) {
    window.Report(kSetAutoAnswerFailed.text(reply), kSetAutoAnswerFailed.titleText());
    return;
  }
  // The mark follows the device; the record keeps it for the next showing.
  window.SubMenuAutoAnswer->setChecked(switchOn);
  try {
    AutoAnswerRecord(device)->SetField(AutoAnswerField(modem), switchOn ? QStringLiteral("1") : QStringLiteral("0"));
  } catch (const lns::LnsError& e) {
    ReportDatabaseError(window, e);
  }
}

void ToggleInputAudio(DeviceWindow& window, bool explicitFamily) {
  platform::BusyCursor busy;
  const bool mute = !window.SubMenuInputAudio->isChecked();
  const QString reply = window.Send(mute ? MuteInputAudio() : UnmuteInputAudio());
  if (IsFailureReply(reply)) {
    const FailureMessage& failure = explicitFamily ? kSetInputAudioMenuExplicitFailed : kSetInputAudioFailed;
    window.Report(failure.text(reply), failure.titleText());
    return;
  }
  window.SubMenuInputAudio->setChecked(mute);
}

void PulseServicePin(DeviceWindow& window) {
  platform::BusyCursor busy;
  const QString reply = window.Send(device_protocol::PulseServicePin());
  if (IsFailureReply(reply))
    window.Report(kPulseServicePinFailed.text(reply), kPulseServicePinFailed.titleText());
}

RebootOutcome SoftRebootLonMark(DeviceWindow& window) {
  RebootGuard guard(window);
  RebootOutcome outcome;
  const lns::AppDevicePtr device = window.device();
  if (!guard.started() || !device)
    return outcome;
  outcome.started = true;
  QPointer<DeviceWindow> alive(&window);
  {
    PollingSuspended resting(window);
    platform::BusyCursor busy;
    const platform::Clock& clock = window_waits::pacer().clock();
    const qint64 start = clock.nowMs();
    window.Send(SoftReboot());  // the reply is not examined
    // The device's Test fails while it restarts. It is asked once the device
    // has had a moment to go, then again after each pause until it answers.
    auto deviceAnswers = [&device] {
      try {
        device->Test();
        return true;
      } catch (const lns::LnsError&) {
        return false;
      }
    };
    window_waits::pacer().pause(kRebootPauseMs);
    if (!StillWaiting(alive, device))
      return outcome;
    outcome.deviceBack = deviceAnswers();
    while (!outcome.deviceBack && outcome.attempts < kLonMarkRebootAttempts && clock.nowMs() - start < kRebootLimitMs) {
      window_waits::pacer().pause(kRebootPauseMs);
      if (!StillWaiting(alive, device))
        break;
      ++outcome.attempts;
      outcome.deviceBack = deviceAnswers();
    }
  }
  ReportNotBack(alive, device, outcome);
  return outcome;
}

RebootOutcome SoftRebootExplicit(DeviceWindow& window) {
  RebootGuard guard(window);
  RebootOutcome outcome;
  const lns::AppDevicePtr device = window.device();
  if (!guard.started() || !device)
    return outcome;
  outcome.started = true;
  QPointer<DeviceWindow> alive(&window);
  {
    PollingSuspended resting(window);
    platform::BusyCursor busy;
    const platform::Clock& clock = window_waits::pacer().clock();
    const qint64 start = clock.nowMs();
    window.Send(SoftReboot());  // the reply is not examined
    // Until the device answers, the chosen modem's auto answer is sent as the
    // window shows it: that both finds the device back and restores the setting.
    QString reply = QString::fromLatin1(kMessageFailed);
    while (IsFailureReply(reply) && outcome.attempts < kExplicitRebootAttempts &&
           clock.nowMs() - start < kRebootLimitMs) {
      window_waits::pacer().pause(kRebootPauseMs);
      if (!StillWaiting(alive, device))
        break;
      ++outcome.attempts;
      const ModemSelector selector = SelectorOf(ExplicitModemOf(window));
      reply = window.Send(window.SubMenuAutoAnswer->isChecked() ? AutoAnswerOn(selector) : AutoAnswerOff(selector));
    }
    outcome.deviceBack = !IsFailureReply(reply);
  }
  ReportNotBack(alive, device, outcome);
  return outcome;
}

AutoAnswerOffOutcome SwitchAutoAnswerOff(DeviceWindow& window, QListWidget* listData, const lns::AppDevicePtr& device,
                                         Modem modem, bool awaitConfirmation) {
  AutoAnswerOffOutcome outcome;
  platform::BusyCursor busy;
  QPointer<DeviceWindow> alive(&window);
  const ModemSelector selector = SelectorOf(modem);
  // Value 6 of the statistics reply: hang-ups with cause "User Call Cancel".
  // A failed or short reply has no count.
  auto readCount = [&]() -> std::optional<int> {
    const QString reply = window.Send(ReadModemStatistics(selector));
    const ReplyValues values = SplitReplyText(reply);
    if (listData) {
      listData->clear();
      listData->addItems(values.list());
    }
    if (IsFailureReply(reply) || values.size() <= 6)
      return std::nullopt;
    return NumericPrefixInt(values[6]);
  };

  const std::optional<int> baseline = readCount();
  const QString reply = window.Send(AutoAnswerOff(selector));
  if (IsFailureReply(reply)) {
    outcome.failureReply = reply;
    return outcome;
  }
  outcome.switchedOff = true;
  window.SubMenuAutoAnswer->setChecked(false);
  try {
    AutoAnswerRecord(device)->SetField(AutoAnswerField(modem), QStringLiteral("0"));
  } catch (const lns::LnsError& e) {
    ReportDatabaseError(window, e);
  }

  if (!awaitConfirmation) {
    readCount();
    outcome.polls = 1;
    return outcome;
  }
  // Without a first count there is nothing to compare with.
  if (!baseline)
    return outcome;
  // The modem counts the hang-up that switching auto answer off causes. The
  // count is read until it moves, within a number of reads and a time.
  const platform::Clock& clock = window_waits::pacer().clock();
  const qint64 deadline = clock.nowMs() + kAutoAnswerOffLimitMs;
  while (outcome.polls < kAutoAnswerOffPolls) {
    if (outcome.polls > 0) {
      window_waits::pacer().pause(kAutoAnswerOffPauseMs);
      if (!alive)
        return outcome;
    }
    ++outcome.polls;
    const std::optional<int> count = readCount();
    if (count && *count != *baseline) {
      outcome.confirmed = true;
      break;
    }
    if (clock.nowMs() >= deadline)
      break;
  }
  return outcome;
}

}  // namespace modem_options
