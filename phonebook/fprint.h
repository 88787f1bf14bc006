#pragma once
// fPrint ("Print Phonebook"): chooses a printer and a number of copies and
// prints the stored phonebook's listing. The printers are those the system
// lists; when it lists none, the dialog offers a PDF printer that writes a
// file the operator chooses.

#include <QDialog>
#include <QScrollBar>

#include "host/lns/lns.h"
#include "phonebook/listing.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace phonebook {

// A vertical spin bar: a scroll bar whose up arrow raises the value (and
// whose handle sits higher for higher values).
class SpinBar : public QScrollBar {
  Q_OBJECT
 public:
  explicit SpinBar(QWidget* parent = nullptr);

 protected:
  void wheelEvent(QWheelEvent* event) override;
};

class fPrint : public QDialog {
  Q_OBJECT
 public:
  // The entry offered when the system lists no printer.
  static const QString kPdfPrinterName;

  explicit fPrint(QWidget* parent = nullptr);

  // Set-up, exactly one before showing: the explicit family's device, or the
  // LonMark family's device, phonebook object, UCPT_DialString property and
  // the object whose name heads the listing.
  void GetDevice(lns::AppDevicePtr device);
  void GetObjects(lns::AppDevicePtr device, lns::LonMarkObjectPtr phonebookObject,
                  lns::ConfigPropertyPtr dialStringProperty, lns::LonMarkObjectPtr lonMarkObject);

  // Prints the listing's printer form on the printer at that position of the
  // list, with that many copies. The PDF printer first asks for the file.
  // Returns false when nothing was printed (reported to the operator).
  bool PrintGrid(int printerIndex, int copies);

  // Where the PDF printer writes when its file is chosen by the caller
  // (tests, scripts); empty asks the operator.
  void SetPdfFile(const QString& path) { pdfFile_ = path; }

  QComboBox* ComboPrinters = nullptr;
  QLineEdit* TextCopies = nullptr;
  SpinBar* VScroll = nullptr;
  QPushButton* CmdPrint = nullptr;
  QPushButton* CmdCancel = nullptr;
  QLabel* LabelPrinter = nullptr;
  QLabel* LabelCopies = nullptr;
  QString lastCopiesText;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void VScroll_Change();
  void TextCopies_Change();
  void CmdPrint_Click();
  QString ChoosePdfFile();

  ListingSource source_;
  QString pdfFile_;
  bool inCopiesChange_ = false;
  bool pdfCancelled_ = false;  // the operator did not choose a PDF file
};

}  // namespace phonebook
