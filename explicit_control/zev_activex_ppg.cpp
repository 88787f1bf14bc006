#include "zev_activex_ppg.h"

CZEV_ActiveXPropPage::CZEV_ActiveXPropPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CZEV_ActiveXPropPage"));
  setWindowTitle(QString::fromLatin1(kCaption));
  setAccessibleName(QString::fromLatin1(kCaption));
}
