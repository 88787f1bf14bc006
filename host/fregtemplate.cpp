#include "fregtemplate.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "host/mmain.h"

bool fRegTemplate::fRegTemplateLoaded = false;

fRegTemplate::fRegTemplate(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fRegTemplate"));
  setWindowTitle(QStringLiteral("Register RLX_PLUG"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 14, 18, 14);
  Frame1 = new QGroupBox(QStringLiteral("Select the desired templates"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  auto* inner = new QVBoxLayout(Frame1);
  Option1[1] = new QRadioButton(QStringLiteral("Register ALL RLX device templates."), Frame1);
  Option1[1]->setObjectName(QStringLiteral("Option1_1"));
  Option1[0] = new QRadioButton(QStringLiteral("Register the CURRENT device template. (RLXTLC32)"), Frame1);
  Option1[0]->setObjectName(QStringLiteral("Option1_0"));
  inner->addWidget(Option1[1]);
  inner->addWidget(Option1[0]);
  Option1[1]->setChecked(true);  // both families, unless the operator narrows it
  CmdOk = new QPushButton(QStringLiteral("&Ok"), this);
  CmdOk->setObjectName(QStringLiteral("CmdOk"));
  CmdOk->setAccessibleName(QStringLiteral("Ok"));
  CmdOk->setDefault(true);
  layout->addWidget(Frame1);
  layout->addWidget(CmdOk, 0, Qt::AlignRight);
  connect(CmdOk, &QPushButton::clicked, this, &fRegTemplate::onOk);
}

void fRegTemplate::showEvent(QShowEvent* event) {
  fRegTemplateLoaded = true;
  QDialog::showEvent(event);
}

void fRegTemplate::onOk() {
  MMain.RegisterAllTemplates = !Option1[0]->isChecked();
  fRegTemplateLoaded = false;
  accepted_ = true;
  close();
}
