#include "phonebook/fprint.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStyleOptionSlider>
#include <QTest>

#include "phonebook/testing/phonebook_fixture.h"

using namespace phonebook;

namespace {

class Print : public phonebook_testing::PhonebookTest {
 protected:
  void SetUp() override {
    PhonebookTest::SetUp();
    MakeExplicitRecords();
    StoreExplicit(5, QStringLiteral("5551234"), QStringLiteral("Head office"), QString());
    dialog = std::make_unique<fPrint>();
    dialog->GetDevice(explicitDevice);
    dialog->show();
  }
  void TearDown() override {
    dialog.reset();
    PhonebookTest::TearDown();
  }
  QLineEdit* copies() { return dialog->TextCopies; }
  void typeCopies(const QString& text) {
    copies()->selectAll();
    QTest::keyClicks(copies(), text);
  }
  void clickArrow(QStyle::SubControl arrow) {
    QStyleOptionSlider option;
    option.initFrom(dialog->VScroll);
    option.orientation = Qt::Vertical;
    option.minimum = dialog->VScroll->minimum();
    option.maximum = dialog->VScroll->maximum();
    option.sliderPosition = dialog->VScroll->sliderPosition();
    option.sliderValue = dialog->VScroll->value();
    option.singleStep = dialog->VScroll->singleStep();
    option.pageStep = dialog->VScroll->pageStep();
    option.upsideDown = dialog->VScroll->invertedAppearance();
    option.subControls = QStyle::SC_All;
    const QRect r = dialog->VScroll->style()->subControlRect(QStyle::CC_ScrollBar, &option, arrow, dialog->VScroll);
    ASSERT_TRUE(r.isValid());
    QTest::mouseClick(dialog->VScroll, Qt::LeftButton, {}, r.center());
  }
  std::unique_ptr<fPrint> dialog;
};

TEST_F(Print, TheDialogListsTheSystemsPrintersOrThePdfPrinter) {
  EXPECT_EQ(dialog->windowTitle(), "Print Phonebook");
  EXPECT_EQ(dialog->CmdPrint->text(), "Print");
  EXPECT_EQ(dialog->CmdCancel->text(), "Exit");
  EXPECT_EQ(dialog->LabelPrinter->text(), "Printer:");
  EXPECT_EQ(dialog->LabelCopies->text(), "Copies:");
  QStringList listed;
  for (int i = 0; i < dialog->ComboPrinters->count(); ++i)
    listed << dialog->ComboPrinters->itemText(i);
  const QStringList system = QPrinterInfo::availablePrinterNames();
  EXPECT_EQ(listed, system.isEmpty() ? QStringList{fPrint::kPdfPrinterName} : system);
  EXPECT_EQ(dialog->ComboPrinters->currentIndex(), 0);
  EXPECT_EQ(copies()->maxLength(), 3);
  EXPECT_EQ(dialog->VScroll->minimum(), 1);
  EXPECT_EQ(dialog->VScroll->maximum(), 999);
}

TEST_F(Print, TheCopiesBoxAndTheSpinBarFollowEachOther) {
  EXPECT_EQ(copies()->text(), "1");  // on activation
  EXPECT_EQ(dialog->VScroll->value(), 1);
  typeCopies("7");
  EXPECT_EQ(dialog->VScroll->value(), 7);
  EXPECT_EQ(dialog->lastCopiesText, "7");
  typeCopies("0");  // zero copies: the previous value comes back
  EXPECT_EQ(copies()->text(), "7");
  copies()->setText("00");
  EXPECT_EQ(copies()->text(), "7");
  copies()->setText("000");
  EXPECT_EQ(copies()->text(), "7");
  copies()->setText("");
  EXPECT_EQ(copies()->text(), "7");
  copies()->setText("-1");
  EXPECT_EQ(copies()->text(), "7");
  copies()->setText("1.5");
  EXPECT_EQ(copies()->text(), "7");
  typeCopies("x");
  EXPECT_EQ(copies()->text(), "7");
  EXPECT_EQ(dialog->VScroll->value(), 7);

  clickArrow(QStyle::SC_ScrollBarSubLine);  // the up arrow raises
  EXPECT_EQ(dialog->VScroll->value(), 8);
  EXPECT_EQ(copies()->text(), "8");
  EXPECT_EQ(copies()->selectedText(), "8");
  clickArrow(QStyle::SC_ScrollBarAddLine);
  clickArrow(QStyle::SC_ScrollBarAddLine);
  EXPECT_EQ(copies()->text(), "6");
  QTest::keyClick(dialog->VScroll, Qt::Key_Up);
  EXPECT_EQ(copies()->text(), "7");

  typeCopies("999");
  EXPECT_EQ(dialog->VScroll->value(), 999);
  clickArrow(QStyle::SC_ScrollBarSubLine);
  EXPECT_EQ(copies()->text(), "999");
}

TEST_F(Print, PrintingOnThePdfPrinterWritesTheChosenFileAndClosesTheDialog) {
  if (!QPrinterInfo::availablePrinterNames().isEmpty())
    GTEST_SKIP() << "the system lists printers; the PDF printer is offered only without them";
  const QString pdf = tree.env.scratch() + "/phonebook.pdf";
  QString title;
  ui().onModal([&](QDialog* d) {
    auto* files = qobject_cast<QFileDialog*>(d);
    EXPECT_NE(files, nullptr);
    title = d->windowTitle();
    if (files)
      files->selectFile(pdf);
    return int(QDialog::Accepted);
  });
  dialog->CmdPrint->click();
  EXPECT_EQ(title, "Print Phonebook");
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5) == "%PDF-");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
  EXPECT_TRUE(ui().pointerHistory().contains(platform::Pointer::Hourglass));
}

TEST_F(Print, CancellingTheFileChoiceKeepsTheDialogAndExitPrintsNothing) {
  if (!QPrinterInfo::availablePrinterNames().isEmpty())
    GTEST_SKIP() << "the system lists printers";
  ui().onModal([](QDialog*) { return int(QDialog::Rejected); });
  dialog->CmdPrint->click();
  EXPECT_TRUE(dialog->isVisible());
  dialog->CmdCancel->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

}  // namespace
