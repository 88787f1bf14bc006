#include "fconnstatistics.h"

#include "platform/accessibility.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "device_protocol/failure_reports.h"
#include "device_protocol/modem.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "device_protocol/status_tables.h"
#include "host/mmain.h"
#include "platform/ui_services.h"
#include "ring_stats/modal_owner.h"
#include "window_support/device_link.h"
#include "window_support/main_window_link.h"

namespace dp = device_protocol;

namespace {

QLabel* caption(QWidget* parent, const char* name, const char* text) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

// A value readout: "Value" until the first read fills it. It reads as its
// value, described by its caption.
QLabel* valueLabel(QWidget* parent, int index, QWidget* caption) {
  auto* label = new QLabel(QStringLiteral("Value"), parent);
  label->setObjectName(QStringLiteral("LabelHangupValues"));
  label->setProperty("index", index);
  platform::TieValueToCaption(label, caption);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  if (index == 0)
    label->setMinimumWidth(200);
  else
    label->setFixedWidth(56);
  label->setAlignment(index == 0 ? Qt::AlignCenter : (Qt::AlignRight | Qt::AlignVCenter));
  return label;
}

dp::ModemNames modemNames() {
  return {MMain.InternalModemObjectName, MMain.ExternalModem1ObjectName, MMain.ExternalModem2ObjectName};
}

dp::ModemSelector selectorFor(window_support::MainWindowLink& main) {
  return dp::SelectorOf(dp::StatisticsModem(main.modemName(), modemNames()));
}

}  // namespace

fConnStatistics::fConnStatistics(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fConnStatistics"));
  setWindowTitle(QStringLiteral("Connection Statistics"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);

  FrameHangups = new QGroupBox(QStringLiteral("Hangups"), this);
  FrameHangups->setObjectName(QStringLiteral("FrameHangups"));
  auto* hangups = new QGridLayout(FrameHangups);
  hangups->setHorizontalSpacing(16);
  const std::pair<QLabel**, std::pair<const char*, const char*>> rows[] = {
      {&LabelCarrier, {"LabelCarrier", "Carrier Lost:"}},
      {&LabelHearbeat, {"LabelHearbeat", "Heartbeat Lost:"}},
      {&LabelCancel, {"LabelCancel", "User Call Cancel:"}},
      {&LabelTraining, {"LabelTraining", "Training Timeout:"}},
      {&LabelLink, {"LabelLink", "Link Training Timeout:"}},
      {&Labelinitial, {"Labelinitial", "No Initial Dialtone:"}},
      {&LabelMid, {"LabelMid", "No Mid-String Dialtone:"}},
      {&LabelInvalid, {"LabelInvalid", "Invalid Dialstring Character:"}},
      {&LabelDSR, {"LabelDSR", "DSR Lost:"}},
  };
  int k = 1;
  for (const auto& [member, texts] : rows) {
    *member = caption(FrameHangups, texts.first, texts.second);
    LabelHangupValues[std::size_t(k)] = valueLabel(FrameHangups, k, *member);
    hangups->addWidget(*member, k - 1, 0);
    hangups->addWidget(LabelHangupValues[std::size_t(k)], k - 1, 1);
    ++k;
  }
  layout->addWidget(FrameHangups);

  FrameCause = new QGroupBox(QStringLiteral("Last Hangup Cause"), this);
  FrameCause->setObjectName(QStringLiteral("FrameCause"));
  auto* cause = new QHBoxLayout(FrameCause);
  LabelHangupValues[0] = valueLabel(FrameCause, 0, FrameCause);
  cause->addWidget(LabelHangupValues[0]);
  layout->addWidget(FrameCause);

  FrameOther = new QGroupBox(this);
  FrameOther->setObjectName(QStringLiteral("FrameOther"));
  auto* other = new QGridLayout(FrameOther);
  other->setHorizontalSpacing(16);
  LabelSuccessful = caption(FrameOther, "LabelSuccessful", "Successful Connections:");
  LabelRetrain = caption(FrameOther, "LabelRetrain", "Retrain Attempts:");
  LabelHangupValues[10] = valueLabel(FrameOther, 10, LabelSuccessful);
  LabelHangupValues[11] = valueLabel(FrameOther, 11, LabelRetrain);
  other->addWidget(LabelSuccessful, 0, 0);
  other->addWidget(LabelHangupValues[10], 0, 1);
  other->addWidget(LabelRetrain, 1, 0);
  other->addWidget(LabelHangupValues[11], 1, 1);
  layout->addWidget(FrameOther);

  auto* buttons = new QHBoxLayout;
  CmdClear = new QPushButton(QStringLiteral("Clear"), this);
  CmdClear->setObjectName(QStringLiteral("CmdClear"));
  CmdExit = new QPushButton(QStringLiteral("Exit"), this);
  CmdExit->setObjectName(QStringLiteral("CmdExit"));
  for (QPushButton* b : {CmdClear, CmdExit}) {
    b->setAccessibleName(b->text());
    b->setAutoDefault(false);
    b->setMinimumWidth(88);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(CmdClear, &QPushButton::clicked, this, &fConnStatistics::CmdClear_Click);
  connect(CmdExit, &QPushButton::clicked, this, &fConnStatistics::CmdExit_Click);
}

void fConnStatistics::SetInternalModemRows(bool enabled) {
  for (QLabel* label : {LabelLink, Labelinitial, LabelMid, LabelInvalid, LabelRetrain})
    label->setEnabled(enabled);
  for (std::size_t k : {5u, 6u, 7u, 8u, 11u})
    LabelHangupValues[k]->setEnabled(enabled);
}

void fConnStatistics::ShowReply(const QString& reply) {
  const dp::ConnectionStatistics s = dp::StatisticsFromReply(dp::SplitReplyText(reply));
  LabelHangupValues[0]->setText(s.lastCause);
  for (std::size_t k = 0; k < s.hangups.size(); ++k)
    LabelHangupValues[k + 1]->setText(s.hangups[k]);
  LabelHangupValues[10]->setText(s.successfulConnections);
  LabelHangupValues[11]->setText(s.retrainAttempts);
}

bool fConnStatistics::ReadAndShow(window_support::MainWindowLink& main, bool explicitFamily) {
  {
    platform::BusyCursor busy;
    const dp::ModemSelector selector = selectorFor(main);
    SetInternalModemRows(selector == dp::ModemSelector::Internal);
    const QString reply = main.link().Send(dp::ReadModemStatistics(selector));
    if (dp::IsFailureReply(reply)) {
      const dp::FailureMessage& failure =
          explicitFamily ? dp::kDownloadStatisticsExplicitFailed : dp::kDownloadStatisticsLonMarkFailed;
      platform::msgBox(failure.text(reply), platform::MsgButtons::Ok, failure.titleText());
      return false;
    }
    ShowReply(reply);
    opener_ = &main;
    openerWindow_ = main.window();
  }
  ring_stats::detail::ShowModalOver(this, main.window());
  return true;
}

void fConnStatistics::CmdClear_Click() {
  {
    platform::BusyCursor busy;
    // The modem of the attached family's main window; the window the
    // statistics were read for when that one is not there.
    window_support::MainWindowLink* target = window_support::AttachedMainWindow();
    if (!target && openerWindow_)
      target = opener_;
    if (target) {
      const QString reply = target->link().Send(dp::ClearModemStatistics(selectorFor(*target)));
      if (dp::IsFailureReply(reply))
        platform::msgBox(dp::kClearStatisticsFailed.text(reply), platform::MsgButtons::Ok,
                         dp::kClearStatisticsFailed.titleText());
    }
  }
  done(QDialog::Accepted);
}

void fConnStatistics::CmdExit_Click() { done(QDialog::Rejected); }
