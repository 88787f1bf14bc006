#include "fdialondemand.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "device_protocol/dial_mode.h"
#include "device_protocol/failure_reports.h"
#include "platform/ui_services.h"
#include "windows/device_window.h"
#include "windows/dial_modes.h"

using namespace device_protocol;

namespace {

QComboBox* combo(QWidget* parent, const char* name, const QStringList& choices, bool typed, const QString& label) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QString::fromLatin1(name));
  c->addItems(choices);
  c->setEditable(typed);
  c->setAccessibleName(label);
  if (typed) {
    c->setInsertPolicy(QComboBox::NoInsert);
    // What reaches the field some other way than typing (pasting) holds
    // digits only as well.
    c->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), c->lineEdit()));
  }
  return c;
}

QStringList range(int from, int to, int step = 1) {
  QStringList out;
  for (int v = from; v <= to; v += step)
    out << QString::number(v);
  return out;
}

// Shows a value in a list: its line when it has one; otherwise the value is
// typed into an editable list or added as a line of its own, so the dialog
// shows what the device holds.
void ShowValue(QComboBox* c, const QString& value) {
  const int index = c->findText(value, Qt::MatchExactly);
  if (index >= 0) {
    c->setCurrentIndex(index);
  } else if (c->isEditable()) {
    c->setEditText(value);
  } else {
    c->addItem(value);
    c->setCurrentIndex(c->count() - 1);
  }
}

}  // namespace

fDialOnDemand::fDialOnDemand(DeviceWindow* mainWindow) : QDialog(mainWindow), main_(mainWindow) {
  setObjectName(QStringLiteral("fDialOnDemand"));
  setWindowTitle(QStringLiteral("Dial On Demand Settings"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto label = [this](const char* name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QString::fromLatin1(name));
    return l;
  };
  Label1 = label("Label1", QStringLiteral("First Phone Entry:"));
  Label2 = label("Label2", QStringLiteral("Last Phone Entry:"));
  Label3 = label("Label3", QStringLiteral("Hang Time:"));
  Label4 = label("Label4", QStringLiteral("Retry Count:"));
  Label5 = label("Label5", QStringLiteral("Seconds"));
  Combo1 = combo(this, "Combo1", range(0, 15), false, Label1->text());
  Combo2 = combo(this, "Combo2", range(0, 15), false, Label2->text());
  Combo3 = combo(this, "Combo3", range(15, 120, 15), true, Label3->text());
  Combo4 = combo(this, "Combo4", range(0, 9), true, Label4->text());
  Label1->setBuddy(Combo1);
  Label2->setBuddy(Combo2);
  Label3->setBuddy(Combo3);
  Label4->setBuddy(Combo4);
  for (QComboBox* c : {Combo3, Combo4})
    c->lineEdit()->installEventFilter(this);

  CmdOk = new QPushButton(QStringLiteral("Dial On Demand"), this);
  CmdOk->setObjectName(QStringLiteral("CmdOk"));
  Command1 = new QPushButton(QStringLiteral("Exit"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  for (QPushButton* b : {CmdOk, Command1}) {
    b->setAutoDefault(false);
    b->setMinimumWidth(130);
  }

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(16, 14, 16, 14);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(10);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(Combo1, 0, 1);
  grid->addWidget(Label2, 1, 0);
  grid->addWidget(Combo2, 1, 1);
  grid->addWidget(Label3, 2, 0);
  grid->addWidget(Combo3, 2, 1);
  grid->addWidget(Label5, 2, 2);
  grid->addWidget(Label4, 3, 0);
  grid->addWidget(Combo4, 3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(CmdOk);
  buttons->addWidget(Command1);
  grid->addLayout(buttons, 4, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  setFixedSize(sizeHint());

  connect(CmdOk, &QPushButton::clicked, this, [this] { Apply(); });
  connect(Command1, &QPushButton::clicked, this, &QWidget::close);
}

bool fDialOnDemand::eventFilter(QObject* watched, QEvent* event) {
  // Only the digits can be typed into the hang time and the retry count;
  // any other character beeps and is dropped. Editing keys pass.
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    const bool character = !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
    const bool digit = text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9';
    if (character && !digit) {
      platform::ui().beep();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void fDialOnDemand::Box(const QString& text, const QString& title) {
  const platform::Pointer pointer = platform::ui().pointer();
  platform::ui().setPointer(platform::Pointer::Default);
  platform::msgBox(text, platform::MsgButtons::Ok, title, platform::MsgIcon::None, 0, this);
  platform::ui().setPointer(pointer);
}

void fDialOnDemand::Load(lns::LonMarkObjectPtr modemObject) {
  for (QComboBox* c : {Combo1, Combo2, Combo3, Combo4}) {
    // Lines added for values outside the lists go with the next load.
    const int fixed = c == Combo3 ? 8 : c == Combo4 ? 10 : 16;
    while (c->count() > fixed)
      c->removeItem(c->count() - 1);
    c->setCurrentIndex(0);
  }
  SetObject(std::move(modemObject));
}

void fDialOnDemand::SetObject(lns::LonMarkObjectPtr modemObject) {
  modemObject_ = std::move(modemObject);
  if (!modemObject_)
    return;
  platform::BusyCursor busy;
  QString value;
  try {
    value = modemObject_->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"))->Value();
  } catch (const lns::LnsError&) {
    return;  // the first choices stay
  }
  const DialModeSetting setting = ParseDialModeText(value);
  if (setting.mode != DialMode::DialOnDemand)
    return;
  QComboBox* const combos[] = {Combo1, Combo2, Combo3, Combo4};
  for (int i = 0; i < 4; ++i)
    ShowValue(combos[i], setting.dodFields[i]);
}

void fDialOnDemand::Abandon() {
  modemObject_.reset();
  close();
}

bool fDialOnDemand::Apply() {
  if (!modemObject_)
    return false;
  if (Combo3->currentText().isEmpty() || Combo4->currentText().isEmpty()) {
    Box(QStringLiteral("Please enter a Hang Time and a Retry Count."), QStringLiteral("Notice!"));
    return false;
  }
  platform::BusyCursor busy;
  const QString value =
      DialModeDodText(Combo1->currentText(), Combo2->currentText(), Combo3->currentText(), Combo4->currentText());
  try {
    modemObject_->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"))->SetValue(value);
  } catch (const lns::LnsError& e) {
    // The device keeps its mode: the marks stay and the dialog stays open.
    Box(e.description(), QString::fromLatin1(kPlugInTitle));
    return false;
  }
  dial_modes::SetMarks(*main_, DialMode::DialOnDemand);
  close();
  return true;
}
