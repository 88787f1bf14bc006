#include "phonebook/phonebook_sync.h"

#include <QComboBox>

#include "device_protocol/failure_reports.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "host/mmain.h"
#include "phonebook/phonebook_store.h"
#include "platform/ui_services.h"
#include "window_support/device_link.h"
#include "window_support/main_window_link.h"
#include "window_support/small_windows.h"

namespace phonebook {

namespace dp = device_protocol;

namespace {

void ReportDatabaseError(QWidget* owner, const lns::LnsError& e) {
  platform::msgBox(e.description(), platform::MsgButtons::Ok, QString::fromLatin1(dp::kPlugInTitle),
                   platform::MsgIcon::None, 0, owner);
}

}  // namespace

namespace {

// The progress window over the owner while a storage operation reports its
// steps; it closes when this goes.
class ProgressWindow {
 public:
  explicit ProgressWindow(QWidget* owner) : window_(owner) {}
  ~ProgressWindow() { window_.Finish(); }
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;
  Progress report() {
    return [this](int step, int total) {
      if (step == 0)
        window_.Start(total);
      else
        window_.Step(step);
    };
  }

 private:
  fProgress window_;
};

}  // namespace

void CreateDescriptionRecords(QWidget* owner, const lns::AppDevicePtr& device, const LonMarkDirectory& directory) {
  platform::BusyCursor busy;
  ProgressWindow progress(owner);
  CreateDescriptionRecordsWith(device, directory.dialString ? directory.dialString->ElementCount() : 0, directory,
                               progress.report());
}

ProbeResult PhonebookProbeAndDownloadWith(QWidget* owner, const MessageSender& send, const lns::AppDevicePtr& device) {
  platform::BusyCursor busy;
  const QString reply = send(dp::PhonebookProbe());
  if (dp::IsFailureReply(reply)) {
    platform::msgBox(dp::kPhonebookProbeFailed.text(reply), platform::MsgButtons::Ok,
                     dp::kPhonebookProbeFailed.titleText(), platform::MsgIcon::None, 0, owner);
    return ProbeResult::Failed;
  }
  if (dp::IsNotSupportedReply(reply))
    return ProbeResult::NoPhonebook;
  try {
    ProgressWindow progress(owner);
    FirstDownload(owner, device, send, progress.report());
  } catch (const lns::LnsError& e) {
    ReportDatabaseError(owner, e);
  }
  return ProbeResult::Supported;
}

ProbeResult PhonebookProbeAndDownload(QWidget* owner, window_support::DeviceLink& link,
                                      const lns::AppDevicePtr& device) {
  return PhonebookProbeAndDownloadWith(
      owner, [&link](const QString& request) { return link.Send(request); }, device);
}

void OfflineRecordCreation(const lns::AppDevicePtr& device) {
  platform::BusyCursor busy;
  try {
    EnsureExplicitRecords(device);
  } catch (const lns::LnsError& e) {
    ReportDatabaseError(nullptr, e);
  }
}

bool DatabaseOnlySave() {
  if (MMain.DeviceOffline)
    return true;
  try {
    // The system of the explicit main window's device, not whichever network
    // another director opened since.
    window_support::MainWindowLink* main = window_support::MainWindowOf(true);
    const lns::SystemPtr system = main ? main->link().system() : MMain.CurrentSystem;
    return system && system->MgmtMode() == 1;
  } catch (const lns::LnsError&) {
    return false;
  }
}

void FillPhoneListLonMark(QComboBox* combo, const lns::AppDevicePtr& device, const LonMarkDirectory& directory) {
  platform::BusyCursor busy;
  combo->clear();
  try {
    combo->addItems(PhoneListLonMark(device, directory));
  } catch (const lns::LnsError&) {
    // The list stays empty: the phonebook cannot be read now.
  }
}

void FillPhoneListExplicit(QComboBox* combo, const lns::AppDevicePtr& device) {
  platform::BusyCursor busy;
  try {
    combo->addItems(PhoneListExplicit(device));
  } catch (const lns::LnsError&) {
    // Nothing is added: the database cannot be read now.
  }
}

}  // namespace phonebook
