#include "fregisterplugin.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/device_resources.h"
#include "host/mmain.h"
#include "host/registration.h"
#include "platform/ui_services.h"

namespace {
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  QString plain = caption;
  b->setAccessibleName(plain.remove(u'&'));
  b->setMinimumWidth(200);
  return b;
}
}  // namespace

fRegisterPlugIn::fRegisterPlugIn(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fRegisterPlugIn"));
  setWindowTitle(QStringLiteral("RLX_Plug"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 18);
  layout->setSpacing(10);
  bRegister = makeButton(this, "bRegister", QStringLiteral("&Register Plug-in"));
  bDeregister = makeButton(this, "bDeregister", QStringLiteral("&Deregister Plug-in"));
  bExit = makeButton(this, "bExit", QStringLiteral("&Exit"));
  layout->addWidget(bRegister);
  layout->addWidget(bDeregister);
  layout->addSpacing(6);
  layout->addWidget(bExit);
  bRegister->setDefault(true);
  connect(bRegister, &QPushButton::clicked, this, &fRegisterPlugIn::onRegister);
  connect(bDeregister, &QPushButton::clicked, this, &fRegisterPlugIn::onDeregister);
  connect(bExit, &QPushButton::clicked, this, &QDialog::close);
  // However the dialog is closed, the program shuts down.
  connect(this, &QDialog::finished, this, [] { RunShutdown(); });
}

void fRegisterPlugIn::onRegister() {
  platform::ui().setPointer(platform::Pointer::Hourglass);
  device_resources::InstallDeviceResources();
  registration::RegisterPlugIn(true);
  platform::ui().setPointer(platform::Pointer::Default);
}

void fRegisterPlugIn::onDeregister() { registration::DeregisterPlugIn(true); }
