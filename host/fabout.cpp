#include "fabout.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

#include "host/product_picture.h"
#include "platform/accessibility.h"
#include "platform/ui_services.h"

const QString fAbout::kWebAddress = QStringLiteral("https://www.zev-products.example/rlx");
const QColor fAbout::kLinkColour = QColor(0, 0, 255);
const QColor fAbout::kHoverColour = QColor(128, 0, 128);

namespace {
QLabel* label(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}
QFrame* line(QWidget* parent, int i) {
  auto* f = new QFrame(parent);
  f->setObjectName(QStringLiteral("Line1_%1").arg(i));
  f->setFrameShape(QFrame::HLine);
  f->setFrameShadow(QFrame::Sunken);
  return f;
}
}  // namespace

fAbout::fAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fAbout"));
  setWindowTitle(QStringLiteral("About Zev Products, Inc. RLX/Plug"));
  setMouseTracking(true);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(18, 16, 18, 14);
  grid->setHorizontalSpacing(14);
  grid->setVerticalSpacing(6);

  picIcon = label(this, "picIcon", QString());
  picIcon->setPixmap(host_ui::ProductPicture(QSize(72, 56), devicePixelRatioF()));
  picIcon->setAccessibleName(QStringLiteral("RLX"));
  LabelSoftware = label(this, "LabelSoftware", QStringLiteral("RLX/Plug Plug-In Version 2.10b"));
  QFont big = LabelSoftware->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.15);
  LabelSoftware->setFont(big);
  LabelCompany = label(this, "LabelCompany", QStringLiteral("Zev Products, Inc."));
  Label1 = label(this, "Label1", QStringLiteral("Technical Support:"));
  Label4 = label(this, "Label4", QStringLiteral("support@zev-products.example"));
  Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label2 = label(this, "Label2", QStringLiteral("Website:"));
  Label5 = label(this, "Label5", kWebAddress);
  // The web address is a link from the keyboard too (Tab, then Enter).
  platform::MakeKeyboardLink(Label5, [this] { OpenWebAddress(); });
  Label5->setCursor(Qt::PointingHandCursor);
  Label5->setMouseTracking(true);
  Label5->installEventFilter(this);
  QFont link = Label5->font();
  link.setUnderline(true);
  Label5->setFont(link);
  Label3 = label(this, "Label3", QStringLiteral("Phone: "));
  Label6 = label(this, "Label6", QStringLiteral("+1 (555) 010-2040"));
  // Each contact reads as its value, described by its caption.
  platform::TieValueToCaption(Label4, Label1);
  platform::TieValueToCaption(Label5, Label2);
  platform::TieValueToCaption(Label6, Label3);
  Line1[0] = line(this, 0);
  Line1[1] = line(this, 1);
  lblDisclaimer = label(this, "lblDisclaimer",
                        QStringLiteral("This program is provided as is, without warranty of any kind. "
                                       "Use it only on networks you are allowed to manage."));
  lblDisclaimer->setWordWrap(true);
  QFont small = lblDisclaimer->font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  lblDisclaimer->setFont(small);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  cmdOK->setMinimumWidth(90);

  grid->addWidget(picIcon, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(LabelSoftware, 0, 1, 1, 2);
  grid->addWidget(LabelCompany, 1, 1, 1, 2);
  grid->addWidget(Line1[0], 2, 0, 1, 3);
  grid->addWidget(Label1, 3, 0, 1, 1, Qt::AlignRight);
  grid->addWidget(Label4, 3, 1, 1, 2);
  grid->addWidget(Label2, 4, 0, 1, 1, Qt::AlignRight);
  grid->addWidget(Label5, 4, 1, 1, 2);
  grid->addWidget(Label3, 5, 0, 1, 1, Qt::AlignRight);
  grid->addWidget(Label6, 5, 1, 1, 2);
  grid->addWidget(Line1[1], 6, 0, 1, 3);
  grid->addWidget(lblDisclaimer, 7, 0, 1, 3);
  grid->addWidget(cmdOK, 8, 2, 1, 1, Qt::AlignRight);
  setMinimumWidth(430);
  connect(cmdOK, &QPushButton::clicked, this, &QWidget::hide);
  setLinkColour(kLinkColour);
}

QColor fAbout::linkColour() const { return Label5->palette().color(QPalette::WindowText); }

void fAbout::setLinkColour(const QColor& colour) {
  QPalette p = Label5->palette();
  p.setColor(QPalette::WindowText, colour);
  Label5->setPalette(p);
}

void fAbout::showEvent(QShowEvent* event) {
  // On load: normal pointer, link in blue.
  platform::ui().setPointer(platform::Pointer::Default);
  setLinkColour(kLinkColour);
  QDialog::showEvent(event);
}

bool fAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label5) {
    if (event->type() == QEvent::MouseMove) {
      // Consumed, so the move does not reach the window behind the label.
      setLinkColour(kHoverColour);
      return true;
    }
    if (event->type() == QEvent::Enter) {
      setLinkColour(kHoverColour);
    } else if (event->type() == QEvent::MouseButtonRelease) {
      OpenWebAddress();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void fAbout::OpenWebAddress() {
  platform::ui().openUrl(kWebAddress);
  setLinkColour(kLinkColour);
}

void fAbout::mouseMoveEvent(QMouseEvent* event) {
  setLinkColour(kLinkColour);
  QDialog::mouseMoveEvent(event);
}

fAbout* fAbout::instance() {
  static QPointer<fAbout> about;
  if (!about)
    about = new fAbout;
  return about;
}

void fAbout::ShowAbout(QWidget* owner) {
  fAbout* about = instance();
  if (owner && about->parentWidget() != owner)
    about->setParent(owner, about->windowFlags());
  platform::ui().showModal(about);
}
