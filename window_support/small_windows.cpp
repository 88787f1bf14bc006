#include "small_windows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "host/mmain.h"
#include "platform/ui_services.h"

namespace {
QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAccessibleName(caption);
  b->setMinimumWidth(88);
  return b;
}
}  // namespace

fConnectionError::fConnectionError(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fConnectionError"));
  setWindowTitle(QStringLiteral("Connection Error"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 14);
  layout->setSpacing(14);
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  Label1->setMinimumWidth(340);
  layout->addWidget(Label1);
  auto* row = new QHBoxLayout;
  row->addStretch();
  bYes = button(this, "bYes", QStringLiteral("Yes"));
  bNo = button(this, "bNo", QStringLiteral("No"));
  bCancel = button(this, "bCancel", QStringLiteral("Cancel"));
  row->addWidget(bYes);
  row->addWidget(bNo);
  row->addWidget(bCancel);
  layout->addLayout(row);
  bYes->setDefault(true);
  connect(bYes, &QPushButton::clicked, this, [this] { choose(platform::IdYes); });
  connect(bNo, &QPushButton::clicked, this, [this] { choose(platform::IdNo); });
  connect(bCancel, &QPushButton::clicked, this, [this] { choose(platform::IdCancel); });
}

void fConnectionError::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous())
    SetTopmost(this, true);
}

void fConnectionError::choose(int result) {
  Result = result;
  done(result);
}

int fConnectionError::Ask(QWidget* owner, const QString& message) {
  fConnectionError dialog(owner);
  // The message uses carriage returns between its lines.
  QString shown = message;
  shown.replace(QChar(13), QChar(u'\n'));
  dialog.Label1->setText(shown);
  dialog.Result = platform::IdCancel;
  platform::ui().showModal(&dialog);
  return dialog.Result;
}

fProgress::fProgress(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fProgress"));
  setWindowTitle(QStringLiteral("RLX/Plug"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(22, 16, 22, 16);
  layout->setSpacing(10);
  Label1 = new QLabel(QStringLiteral("Creating RLX Phonebook"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setAccessibleName(QStringLiteral("Creating RLX Phonebook"));
  ProgressBar->setMinimumWidth(300);
  layout->addWidget(Label1);
  layout->addWidget(ProgressBar);
}

void fProgress::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous())
    SetTopmost(this, true);
}

void fProgress::Start(int steps) {
  ProgressBar->setMinimum(1);
  ProgressBar->setMaximum(qMax(1, steps));
  ProgressBar->setValue(1);
  platform::ui().showModeless(this);
  platform::ui().processEvents();
}

void fProgress::Step(int value) {
  ProgressBar->setValue(qBound(ProgressBar->minimum(), value, ProgressBar->maximum()));
  platform::ui().processEvents();
}

void fProgress::Finish() { close(); }
