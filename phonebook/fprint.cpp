#include "phonebook/fprint.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QShowEvent>
#include <QWheelEvent>
#include <memory>

#include "platform/ui_services.h"

namespace phonebook {

// --- SpinBar ------------------------------------------------------------------------

SpinBar::SpinBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  // Higher values sit higher; the arrows and the keys step the same way.
  setInvertedAppearance(true);
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: setSliderPosition(value() - singleStep()); break;
      case QAbstractSlider::SliderSingleStepSub: setSliderPosition(value() + singleStep()); break;
      case QAbstractSlider::SliderPageStepAdd: setSliderPosition(value() - pageStep()); break;
      case QAbstractSlider::SliderPageStepSub: setSliderPosition(value() + pageStep()); break;
      default: break;
    }
  });
}

// The wheel turned away from the operator raises the value, as the up arrow does.
void SpinBar::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps != 0)
    setValue(value() + steps * singleStep());
  event->accept();
}

// --- fPrint ---------------------------------------------------------------------------

const QString fPrint::kPdfPrinterName = QStringLiteral("PDF file");

fPrint::fPrint(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fPrint"));
  setWindowTitle(QStringLiteral("Print Phonebook"));

  LabelPrinter = new QLabel(QStringLiteral("Printer:"), this);
  LabelPrinter->setObjectName(QStringLiteral("LabelPrinter"));
  ComboPrinters = new QComboBox(this);
  ComboPrinters->setObjectName(QStringLiteral("ComboPrinters"));
  ComboPrinters->setAccessibleName(QStringLiteral("Printer:"));
  ComboPrinters->setMinimumWidth(240);
  LabelPrinter->setBuddy(ComboPrinters);

  LabelCopies = new QLabel(QStringLiteral("Copies:"), this);
  LabelCopies->setObjectName(QStringLiteral("LabelCopies"));
  TextCopies = new QLineEdit(this);
  TextCopies->setObjectName(QStringLiteral("TextCopies"));
  TextCopies->setAccessibleName(QStringLiteral("Copies:"));
  TextCopies->setMaxLength(3);
  TextCopies->setFixedWidth(TextCopies->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
  LabelCopies->setBuddy(TextCopies);
  VScroll = new SpinBar(this);
  VScroll->setObjectName(QStringLiteral("VScroll"));
  VScroll->setAccessibleName(QStringLiteral("Copies:"));
  VScroll->setRange(1, 999);
  VScroll->setFixedHeight(TextCopies->sizeHint().height());

  CmdPrint = new QPushButton(QStringLiteral("Print"), this);
  CmdPrint->setObjectName(QStringLiteral("CmdPrint"));
  CmdPrint->setDefault(true);
  CmdCancel = new QPushButton(QStringLiteral("Exit"), this);
  CmdCancel->setObjectName(QStringLiteral("CmdCancel"));

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(16, 16, 16, 14);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(12);
  grid->addWidget(LabelPrinter, 0, 0);
  grid->addWidget(ComboPrinters, 0, 1, 1, 2);
  grid->addWidget(LabelCopies, 1, 0);
  auto* copies = new QHBoxLayout;
  copies->setSpacing(0);
  copies->addWidget(TextCopies);
  copies->addWidget(VScroll);
  copies->addStretch();
  grid->addLayout(copies, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(CmdPrint);
  buttons->addWidget(CmdCancel);
  grid->addLayout(buttons, 2, 0, 1, 3);

  // The printers the system lists, in its order.
  const QStringList printers = QPrinterInfo::availablePrinterNames();
  ComboPrinters->addItems(printers.isEmpty() ? QStringList{kPdfPrinterName} : printers);
  ComboPrinters->setCurrentIndex(0);

  connect(VScroll, &QScrollBar::valueChanged, this, &fPrint::VScroll_Change);
  connect(TextCopies, &QLineEdit::textChanged, this, &fPrint::TextCopies_Change);
  connect(CmdPrint, &QPushButton::clicked, this, &fPrint::CmdPrint_Click);
  connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void fPrint::GetDevice(lns::AppDevicePtr device) {
  source_ = {};
  source_.explicitFamily = true;
  source_.device = std::move(device);
}

void fPrint::GetObjects(lns::AppDevicePtr device, lns::LonMarkObjectPtr phonebookObject,
                        lns::ConfigPropertyPtr dialStringProperty, lns::LonMarkObjectPtr lonMarkObject) {
  source_ = {};
  source_.explicitFamily = false;
  source_.device = std::move(device);
  source_.directory = DirectoryOf(phonebookObject, std::move(dialStringProperty));
  source_.headingObject = std::move(lonMarkObject);
}

void fPrint::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous())
    return;
  VScroll->setValue(1);
  VScroll_Change();  // "1" in the box even when the bar stood at 1 already
}

void fPrint::VScroll_Change() {
  // The number in the box, 0 when it is empty.
  const int shown = TextCopies->text().toInt();
  if (shown != VScroll->value()) {
    TextCopies->setText(QString::number(VScroll->value()));
    TextCopies->setFocus(Qt::OtherFocusReason);
    TextCopies->selectAll();
  }
}

void fPrint::TextCopies_Change() {
  if (inCopiesChange_)
    return;
  inCopiesChange_ = true;
  const QString text = TextCopies->text();
  bool digits = !text.isEmpty();
  for (QChar c : text)
    digits = digits && c >= u'0' && c <= u'9';
  // Only a whole number of copies from 1 up stands; anything else (a sign,
  // a decimal point, nothing) brings the last accepted text back.
  if (!digits || text.toInt() == 0) {
    TextCopies->setText(lastCopiesText);
    TextCopies->selectAll();
  } else {
    const int copies = text.toInt();
    if (VScroll->value() != copies)
      VScroll->setValue(copies);
    lastCopiesText = text;
  }
  inCopiesChange_ = false;
}

void fPrint::CmdPrint_Click() {
  bool cancelled = false;
  {
    platform::BusyCursor busy;
    const int copies = qMax(1, VScroll->value());
    if (!PrintGrid(ComboPrinters->currentIndex(), copies))
      cancelled = pdfCancelled_;
  }
  if (!cancelled)
    accept();
}

QString fPrint::ChoosePdfFile() {
  QFileDialog dialog(this, QStringLiteral("Print Phonebook"));
  dialog.setObjectName(QStringLiteral("PdfFileDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("PDF (*.pdf)"));
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.setDirectory(QDir::homePath());
  dialog.selectFile(QStringLiteral("Phonebook.pdf"));
  if (platform::ui().showModal(&dialog) != QDialog::Accepted)
    return QString();
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

bool fPrint::PrintGrid(int printerIndex, int copies) {
  pdfCancelled_ = false;
  QList<ListingLine> lines;
  try {
    lines = BuildListing(source_, ListingForm::Printer, QDateTime::currentDateTime());
  } catch (const lns::LnsError& e) {
    platform::msgBox(e.description(), platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0,
                     this);
    return false;
  }
  const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
  std::unique_ptr<QPrinter> printer;
  if (printerIndex >= 0 && printerIndex < printers.size()) {
    printer = std::make_unique<QPrinter>(printers.at(printerIndex), QPrinter::HighResolution);
  } else {
    const QString file = pdfFile_.isEmpty() ? ChoosePdfFile() : pdfFile_;
    if (file.isEmpty()) {
      pdfCancelled_ = true;
      return false;
    }
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
  }
  printer->setDocName(QStringLiteral("ZEV PHONEBOOK"));
  QString error;
  if (!RenderListing(*printer, lines, copies, &error)) {
    platform::msgBox(error, platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0, this);
    return false;
  }
  return true;
}

}  // namespace phonebook
