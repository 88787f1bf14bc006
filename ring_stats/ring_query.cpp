// The ring status query of fRingMode and the pause it makes between polls.

#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <optional>

#include "device_protocol/failure_reports.h"
#include "device_protocol/requests.h"
#include "host/mmain.h"
#include "platform/ui_services.h"
#include "ring_stats/fringmode.h"
#include "window_support/device_link.h"
#include "window_support/main_window_link.h"

namespace dp = device_protocol;

namespace {

// A ring status step the data server could not complete. Without this the
// query would read the failure text as a reply: "Not in Ring Mode" for a
// device that did not answer, or a list that never ends.
constexpr dp::FailureMessage kRingStatusFailed{"Failed to get Ring Status due to data server error '"};

std::function<void(fRingMode&, int)>& Pause() {
  static std::function<void(fRingMode&, int)> pause;
  return pause;
}

}  // namespace

void fRingMode::SetPause(std::function<void(fRingMode& window, int ms)> pause) { Pause() = std::move(pause); }

void fRingMode::Timer1_Timer() { Timer1->stop(); }

bool fRingMode::WaitMilliseconds(int ms) {
  QPointer<fRingMode> self(this);
  Timer1->setInterval(ms);
  Timer1->start();
  if (Pause()) {
    Pause()(*this, ms);
    if (!self)
      return false;
    if (Timer1->isActive())
      Timer1_Timer();
    return true;
  }
  QEventLoop loop;
  connect(Timer1, &QTimer::timeout, &loop, &QEventLoop::quit);
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  while (self && Timer1->isActive())
    loop.exec();
  return !self.isNull();
}

void fRingMode::AddProgress(int steps) { PBar->setValue(qMin(PBar->value() + steps, PBar->maximum())); }

void fRingMode::EndQuery() {
  PBar->setValue(PBar->maximum());
  QueryBusy = false;
  CmdApply->setEnabled(true);
  QueryRingStatus->setEnabled(true);
}

window_support::MainWindowLink* fRingMode::QueryWindow() const {
  if (window_support::MainWindowLink* attached = window_support::AttachedMainWindow())
    return attached;
  return Opener();
}

void fRingMode::QueryRingStatus_Click() {
  if (QueryBusy || !CausesValidation())
    return;
  QPointer<fRingMode> self(this);
  CmdApply->setEnabled(false);
  QueryRingStatus->setEnabled(false);
  // A cancel belongs to the query it was given in; a new query starts afresh.
  CancelRequested = false;
  RingEntries = {};

  std::optional<platform::BusyCursor> busy(std::in_place);
  // Shows a box with the normal pointer; false when the window went meanwhile.
  auto tell = [&](const QString& text, const QString& title, bool beep) {
    busy.reset();
    if (beep)
      platform::ui().beep();
    platform::msgBox(text, platform::MsgButtons::Ok, title);
    return !self.isNull();
  };
  auto failed = [&](const QString& reply) {
    if (tell(kRingStatusFailed.text(reply), kRingStatusFailed.titleText(), false))
      EndQuery();
  };

  window_support::MainWindowLink* main = QueryWindow();
  QList<ring_stats::RingDeviceInfo> devices;
  try {
    if (!main || !RingDevice)
      throw lns::LnsError(lns::kErrNotFound, QStringLiteral("The ring status query has no device to ask."));
    const lns::SubsystemPtr subsystem = RingDevice->Subsystem();
    const std::shared_ptr<lns::AppDevices> collection = subsystem ? subsystem->AppDevices() : nullptr;
    if (!collection)
      throw lns::LnsError(lns::kErrNotFound, QStringLiteral("The device's subsystem cannot be found."));
    devices = ring_stats::ReadRingDevices(*collection);
  } catch (const std::exception& e) {
    const auto* lnsError = dynamic_cast<const lns::LnsError*>(&e);
    if (tell(lnsError ? lnsError->description() : QString::fromLocal8Bit(e.what()),
             QString::fromLatin1(dp::kErrorTitle), false))
      EndQuery();
    return;
  }

  main->link().Send(dp::RingStatusStart());
  // A subsystem of one device would give the bar no range at all.
  PBar->setMaximum(qMax(1, int(devices.size() - 1) * 10));
  PBar->setValue(0);
  RingEntries[1].TestRunning = true;
  QueryBusy = true;
  int count = 1;

  // Polls until the ring test has finished, a second apart.
  dp::ReplyValues last;
  while (RingEntries[1].TestRunning) {
    const QString reply = main->link().Send(dp::RingStatusPoll());
    if (dp::IsFailureReply(reply))
      return failed(reply);
    last = dp::SplitReplyText(reply);
    FillListData(last, false);
    RingEntries[1] = dp::RingStatusEntryFromReply(last);
    if (!WaitMilliseconds(1000))
      return;
    if (CancelRequested)
      return EndQuery();
    AddProgress(1);
    if (!RingEntries[1].InRingMode) {
      const ring_stats::RingMessage m =
          ring_stats::NotInRingModeMessage(ring_stats::NameByNeuronId(devices, RingEntries[1].NeuronIdText));
      if (tell(m.text, m.title, m.beep))
        EndQuery();
      return;
    }
    // The main window may have gone during the pause.
    main = QueryWindow();
    if (!main)
      return EndQuery();
  }

  // The other devices of the ring, one reply each, until the end mark.
  PBar->setValue(PBar->maximum());
  if (!dp::IsLastRingStatusReply(last))
    count = 2;
  ring_stats::RingEnds ends = ring_stats::RingEnds::From(RingEntries[1]);
  while (!dp::IsLastRingStatusReply(last)) {
    const QString reply = main->link().Send(dp::RingStatusNext());
    if (dp::IsFailureReply(reply))
      return failed(reply);
    last = dp::SplitReplyText(reply);
    FillListData(last, false);
    const dp::RingStatusEntry entry = dp::RingStatusEntryFromReply(last);
    const bool endMark = dp::IsLastRingStatusReply(last);
    if (!endMark && count > ring_stats::kLastRingPosition) {
      if (tell(QStringLiteral("More than 64 RLX units replied; the Ring Status cannot be shown."),
               QStringLiteral("Ring Status"), false))
        EndQuery();
      return;
    }
    // The end mark is kept only where it fits: it names no device.
    if (count <= ring_stats::kLastRingPosition)
      RingEntries[std::size_t(count)] = entry;
    ends.Take(entry);
    if (!endMark)
      ++count;
  }

  busy.reset();
  for (const ring_stats::RingMessage& m : ring_stats::RingReport(RingEntries, count, ends, devices))
    if (!tell(m.text, m.title, m.beep))
      return;
  EndQuery();
}
