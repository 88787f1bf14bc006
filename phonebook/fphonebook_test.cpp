#include "phonebook/fphonebook.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

#include "host/cregistry.h"
#include "phonebook/listing.h"
#include "phonebook/phonebook_editor.h"
#include "phonebook/testing/phonebook_fixture.h"
#include "window_support/device_link.h"
#include "window_support/main_window_link.h"

using namespace phonebook;

namespace {

// A main window as the editor sees it: visible or not, counting phone list refills.
class FakeMainWindow : public window_support::MainWindowLink {
 public:
  explicit FakeMainWindow(bool explicitFamily) : explicit_(explicitFamily), link_(nullptr) {
    window_.setObjectName(QStringLiteral("FakeMainWindow"));
    window_support::SetMainWindowLink(explicit_, this);
  }
  ~FakeMainWindow() override { window_support::SetMainWindowLink(explicit_, nullptr); }
  QWidget* window() override { return &window_; }
  window_support::DeviceLink& link() override { return link_; }
  lns::AppDevicePtr device() override { return nullptr; }
  QString modemName() override { return QString(); }
  void refillPhoneList() override { ++refills; }
  void unload() override {}
  int refills = 0;
  QWidget window_;

 private:
  bool explicit_;
  window_support::DeviceLink link_;
};

class Editor : public phonebook_testing::PhonebookTest {
 protected:
  void SetUp() override {
    PhonebookTest::SetUp();
    SetShutdownProcedure([this] { ++shutdowns; });
  }
  void TearDown() override {
    editor.reset();
    PhonebookTest::TearDown();
  }
  // An explicit editor on the fake device, shown, with these stored entries.
  fPhoneBook& OpenExplicit(const QList<std::pair<int, QString>>& numbers = {}) {
    MakeExplicitRecords();
    for (const auto& [i, n] : numbers) {
      StoreExplicit(i, n, QString(), n);
      device.entries[i] = n;
    }
    MMain.ExplicitFamily = 1;
    editor = std::make_unique<fPhoneBook>();
    editor->GetDeviceObject(explicitDevice);
    editor->SetSender(device.sender());
    editor->show();
    return *editor;
  }
  fPhoneBook& OpenLonMark() {
    MakeDescriptionRecords();
    editor = std::make_unique<fPhoneBook>();
    editor->GetObjects(lonMark, directory, directory, dialString);
    editor->show();
    return *editor;
  }
  PhonebookOverlay* overlay() { return editor->TextPhonebook; }
  PhonebookGrid* grid() { return editor->MSFlexGrid; }
  void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(overlay(), Qt::Key(k), m); }
  void type(const QString& text) { QTest::keyClicks(overlay(), text); }
  // Row and column of the current cell, and the overlay's caret.
  std::tuple<int, int, int> where() { return {grid()->Row(), grid()->Col(), overlay()->cursorPosition()}; }

  std::unique_ptr<fPhoneBook> editor;
  int shutdowns = 0;
};

TEST_F(Editor, TheGridHasTheFormatsColumnsAndOneRowPerEntry) {
  fPhoneBook& e = OpenExplicit({{0, "5551234"}, {63, "9"}});
  EXPECT_EQ(e.windowTitle(), "Phonebook");
  EXPECT_EQ(fPhoneBook::kFormatString, "<Index|<Number" + QString(50, u' ') + "|<Description" + QString(34, u' '));
  EXPECT_EQ(grid()->Rows(), 65);
  EXPECT_EQ(grid()->TextMatrix(0, 0), "Index");
  EXPECT_EQ(grid()->TextMatrix(0, 1), "Number");
  EXPECT_EQ(grid()->TextMatrix(0, 2), "Description");
  EXPECT_EQ(grid()->TextMatrix(1, 0), "0");
  EXPECT_EQ(grid()->TextMatrix(64, 0), "63");
  EXPECT_EQ(grid()->TextMatrix(1, 1), "5551234");
  EXPECT_EQ(grid()->TextMatrix(64, 1), "9");
  // The blanks of the format string set the widths: the number column is the widest.
  EXPECT_GT(grid()->columnWidth(0), grid()->columnWidth(1));
  EXPECT_GT(grid()->columnWidth(1), grid()->verticalHeader()->width());
  EXPECT_TRUE(grid()->horizontalHeaderItem(0)->textAlignment() & Qt::AlignLeft);
  EXPECT_TRUE(grid()->horizontalHeaderItem(1)->textAlignment() & Qt::AlignLeft);
  EXPECT_TRUE(grid()->verticalHeader()->defaultAlignment() & Qt::AlignLeft);
  EXPECT_TRUE(e.MenuResync->menuAction()->isVisible());
  EXPECT_TRUE(e.Separator->isVisible());
}

TEST_F(Editor, OnShowingTheOverlaySitsOverRowOneNumberWithItsTextSelected) {
  OpenExplicit({{0, "5551234"}});
  EXPECT_EQ(grid()->Row(), 1);
  EXPECT_EQ(grid()->Col(), 1);
  EXPECT_TRUE(overlay()->isVisible());
  EXPECT_EQ(overlay()->text(), "5551234");
  EXPECT_EQ(overlay()->selectedText(), "5551234");
  EXPECT_EQ(editor->PlacedTextLength, 7);
  const QRect cell = grid()->CurrentCellRect().translated(grid()->pos());
  EXPECT_EQ(overlay()->geometry().left(), cell.left() + 3);
  EXPECT_EQ(overlay()->geometry().top(), cell.top() + 1);
  EXPECT_EQ(overlay()->geometry().right(), cell.right());
  EXPECT_EQ(overlay()->geometry().height(), cell.height() - 1);
  EXPECT_EQ(overlay()->accessibleName(), "Number");
}

TEST_F(Editor, ResizingFollowsTheFormsMeasures) {
  fPhoneBook& e = OpenExplicit();
  e.resize(700, 460);
  const int menu = e.MenuBar->height();
  EXPECT_EQ(grid()->width(), 700 - 8);
  EXPECT_EQ(grid()->height(), 460 - menu - 50);
  EXPECT_EQ(e.Frame1->width(), 700 + 7);
  EXPECT_LE(grid()->geometry().bottom(), e.height());
}

TEST_F(Editor, TypedNumbersReachTheCellAndMarkTheEditorModified) {
  OpenExplicit();
  type("P9,555");
  EXPECT_EQ(grid()->TextMatrix(1, 1), "P9,555");
  EXPECT_EQ(editor->LastValidNumber, "P9,555");
  EXPECT_TRUE(editor->PhonebookModified);
  EXPECT_EQ(ui().beeps(), 0);
}

TEST_F(Editor, NumberValidationRefusesWithABeep) {
  OpenExplicit();
  type("5P");  // P after a digit: back to the digit
  EXPECT_EQ(overlay()->text(), "5");
  EXPECT_EQ(grid()->TextMatrix(1, 1), "5");
  EXPECT_EQ(overlay()->cursorPosition(), 1);
  EXPECT_EQ(ui().beeps(), 1);

  key(Qt::Key_Down);
  type("A");  // a letter as the first character empties the cell
  EXPECT_EQ(overlay()->text(), "");
  EXPECT_EQ(grid()->TextMatrix(2, 1), "");
  EXPECT_EQ(ui().beeps(), 2);

  key(Qt::Key_Down);
  type(QString(30, u'7'));
  EXPECT_EQ(grid()->TextMatrix(3, 1), QString(30, u'7'));
  type("7");  // the 31st character
  EXPECT_EQ(grid()->TextMatrix(3, 1), QString(30, u'7'));
  EXPECT_EQ(overlay()->cursorPosition(), 30);
  EXPECT_EQ(ui().beeps(), 3);

  // A character slipped into the middle is refused too.
  key(Qt::Key_Down);
  type("1234");
  key(Qt::Key_Left);
  key(Qt::Key_Left);
  type("x");
  EXPECT_EQ(grid()->TextMatrix(4, 1), "1234");
  EXPECT_EQ(ui().beeps(), 4);
}

TEST_F(Editor, PastedTabsNeverReachANumberOrADescription) {
  OpenExplicit();
  QApplication::clipboard()->setText(QStringLiteral("12\t34"));
  key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grid()->TextMatrix(1, 1), "");
  key(Qt::Key_Tab);
  QApplication::clipboard()->setText(QStringLiteral("Office\tNorth"));
  key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grid()->TextMatrix(1, 2), "");
  QApplication::clipboard()->setText(QStringLiteral("Zürich \"HQ\""));
  key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grid()->TextMatrix(1, 2), "Zürich \"HQ\"");
}

TEST_F(Editor, DescriptionsHoldSixtyFourCharacters) {
  OpenExplicit();
  key(Qt::Key_Tab);
  type(QString(64, u'd'));
  EXPECT_EQ(grid()->TextMatrix(1, 2), QString(64, u'd'));
  type("e");
  EXPECT_EQ(grid()->TextMatrix(1, 2), QString(64, u'd'));
  EXPECT_EQ(ui().beeps(), 1);
}

TEST_F(Editor, ArrowsCrossBetweenNumberAndDescriptionAtTheTextsEnds) {
  StoreExplicit(0, QStringLiteral("123"), QStringLiteral("Desc"), QStringLiteral("123"));
  OpenExplicit();
  key(Qt::Key_End);  // caret at the end of the unedited number
  key(Qt::Key_Right);
  EXPECT_EQ(where(), std::make_tuple(1, 2, 0));
  EXPECT_EQ(overlay()->text(), "Desc");
  EXPECT_FALSE(overlay()->hasSelectedText());
  key(Qt::Key_Left);
  EXPECT_EQ(where(), std::make_tuple(1, 1, 3));
  key(Qt::Key_Left);  // inside the number the caret just moves
  EXPECT_EQ(where(), std::make_tuple(1, 1, 2));
  key(Qt::Key_Right);
  key(Qt::Key_Right);  // at the end again
  EXPECT_EQ(where(), std::make_tuple(1, 2, 0));
}

TEST_F(Editor, UpDownEnterTabAndShiftTabFollowTheNavigationTable) {
  OpenExplicit();
  key(Qt::Key_Up);  // already on row 1
  EXPECT_EQ(where(), std::make_tuple(1, 1, 0));
  key(Qt::Key_Down);
  key(Qt::Key_Down);
  EXPECT_EQ(grid()->Row(), 3);
  key(Qt::Key_Tab);
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(3, 2));
  key(Qt::Key_Tab);  // from the description: next row's number
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(4, 1));
  key(Qt::Key_Backtab, Qt::ShiftModifier);  // from a number: previous row's description
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(3, 2));
  key(Qt::Key_Backtab, Qt::ShiftModifier);  // from a description: its number
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(3, 1));
  key(Qt::Key_Tab);
  key(Qt::Key_Return);  // next row, number column
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(4, 1));

  editor->MSFlexGrid->SetRow(1);
  editor->PlaceOverlay();
  key(Qt::Key_Backtab, Qt::ShiftModifier);  // row 1: stays, to the description
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(1, 2));

  editor->MSFlexGrid->SetRow(64);
  editor->PlaceOverlay();
  EXPECT_EQ(grid()->Col(), 2);
  key(Qt::Key_Tab);  // last row's description: its own number
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(64, 1));
  key(Qt::Key_Down);
  key(Qt::Key_Return);  // the last row stays
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(64, 1));
  EXPECT_TRUE(overlay()->isVisible());
  EXPECT_FALSE(editor->PhonebookModified);  // Enter and Tab are not typing
  EXPECT_TRUE(editor->isVisible());         // nor does Enter or Escape close the editor
  key(Qt::Key_Escape);
  EXPECT_TRUE(editor->isVisible());
}

TEST_F(Editor, TheMousePlacesTheOverlayAndScrollingHidesIt) {
  OpenExplicit({{4, "444"}});
  const QRect cell = grid()->visualRect(grid()->model()->index(4, 0));
  QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(5, 1));
  EXPECT_TRUE(overlay()->isVisible());
  EXPECT_EQ(overlay()->text(), "444");
  grid()->verticalScrollBar()->setValue(grid()->verticalScrollBar()->maximum());
  EXPECT_FALSE(overlay()->isVisible());
}

TEST_F(Editor, TheLonMarkEditorOffersNoResynchronisation) {
  dialString->SetElement(3, QStringLiteral("333"));
  fPhoneBook& e = OpenLonMark();
  EXPECT_FALSE(e.MenuResync->menuAction()->isVisible());
  EXPECT_FALSE(e.Separator->isVisible());
  EXPECT_EQ(grid()->Rows(), 17);
  EXPECT_EQ(grid()->TextMatrix(4, 1), "333");
  QStringList captions;
  for (QAction* a : e.MenuFile->actions())
    captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
  EXPECT_EQ(captions, (QStringList{"&Save", "-", "&Print", "Print to File", "-", "&Exit"}));
  EXPECT_EQ(e.MenuClear->text(), "&Clear Phonebook");
  EXPECT_EQ(e.MenuResyncDatabase->text(), "&Database Values");
  EXPECT_EQ(e.MenuResyncDevice->text(), "&Device Values");
}

TEST_F(Editor, SavingFromTheMenuStoresTypedEntriesAndPlacesTheOverlayOnRowOne) {
  OpenExplicit();
  key(Qt::Key_Down);
  type("555");
  key(Qt::Key_Tab);
  type("Depot");
  editor->MenuSave->trigger();
  EXPECT_EQ(device.requests, QStringList{"00 01 66 00 01 01 53 53 53 00"});
  EXPECT_EQ(Explicit(1), "555|Depot|555");
  EXPECT_FALSE(editor->PhonebookModified);
  EXPECT_TRUE(editor->PhonebookListChanged);
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(1, 1));
  EXPECT_TRUE(overlay()->isVisible());
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
  EXPECT_TRUE(ui().pointerHistory().contains(platform::Pointer::Hourglass));
}

TEST_F(Editor, ADeletionWithoutACharacterKeyStillCountsAsAChange) {
  OpenExplicit({{0, "12"}});
  key(Qt::Key_End);
  key(Qt::Key_Left);
  key(Qt::Key_Delete);
  EXPECT_EQ(grid()->TextMatrix(1, 1), "1");
  EXPECT_TRUE(editor->PhonebookModified);
}

TEST_F(Editor, ClosingAsksOnlyAfterTypingAndRefillsTheVisibleMainWindowsList) {
  FakeMainWindow main(true);
  main.window_.show();
  OpenExplicit();
  editor->close();
  EXPECT_TRUE(ui().boxes().isEmpty());
  EXPECT_EQ(main.refills, 0);
  EXPECT_EQ(shutdowns, 0);

  editor->show();
  type("7");
  ui().answer(platform::IdYes);
  editor->close();
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].text, "Save Changes to phonebook?");
  EXPECT_EQ(ui().boxes()[0].title, "Save Changes?");
  EXPECT_EQ(ui().boxes()[0].buttons, platform::MsgButtons::YesNo);
  EXPECT_EQ(Explicit(0), "7||7");
  EXPECT_EQ(main.refills, 1);
  EXPECT_EQ(shutdowns, 0);
  EXPECT_FALSE(editor->isVisible());
}

TEST_F(Editor, ClosingAnEditorOpenedDirectlyEndsThePlugInAfterTheQuestion) {
  MakeDescriptionRecords();
  editor = std::make_unique<fPhoneBook>();
  PlugInCommand row;
  editor->ProcessLonMarkObjectCommand(directory, row);
  editor->show();
  type("123");
  ui().answer(platform::IdNo);
  editor->MenuExit->trigger();
  EXPECT_EQ(ui().boxTexts(), QStringList{"Save Changes to phonebook?"});
  EXPECT_EQ(shutdowns, 1);
  EXPECT_EQ(dialString->Element(0), "");  // No: nothing saved
}

TEST_F(Editor, ADirectOpeningCreatesMissingDescriptionRecordsFirst) {
  dialString->SetElement(2, QStringLiteral("22"));
  editor = std::make_unique<fPhoneBook>();
  PlugInCommand row;
  editor->ProcessLonMarkObjectCommand(directory, row);
  EXPECT_TRUE(ui().modalsShown().contains("fProgress"));
  EXPECT_EQ(lonMark->Extensions()->Count(), 16);
  EXPECT_EQ(editor->device()->Name(), "RLX-LonMark");
  EXPECT_EQ(grid()->TextMatrix(3, 1), "22");
  EXPECT_FALSE(editor->explicitFamily());
  EXPECT_FALSE(editor->EndPlugIn());
}

TEST_F(Editor, TheExplicitOpeningWarnsAboutAnOutOfSyncCopyUnlessSavesGoToTheDatabaseOnly) {
  MakeExplicitRecords();
  explicitDevice->Extensions()->Item(QString::fromLatin1(kResyncMarkerName))->SetField(1, QStringLiteral("1"));
  MMain.ExplicitFamily = 1;
  QStringList shown;
  ui().onModal([&](QDialog* d) {
    shown << d->objectName();
    return 0;
  });
  OpenEditorExplicit(nullptr, explicitDevice);
  EXPECT_EQ(shown, QStringList{"fPhoneBook"});
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].text,
            "The phonebook database may be out of sync with the device!\rIt is recommended you resync the phonebook.");
  EXPECT_EQ(ui().boxes()[0].title, "Notice!");

  MMain.DeviceOffline = true;
  OpenEditorExplicit(nullptr, explicitDevice);
  EXPECT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(shown.size(), 2);
}

TEST_F(Editor, PrintAsksToSaveFirstAndNoPrintsNothing) {
  OpenExplicit();
  type("9");
  QStringList shown;
  ui().onModal([&](QDialog* d) {
    shown << d->objectName();
    return 0;
  });
  ui().answer(platform::IdNo);
  editor->MenuPrint->trigger();
  EXPECT_EQ(ui().boxTexts(), QStringList{"Must save changes to phonebook before printing. Do you wish to update the "
                                         "phonebook now?"});
  EXPECT_TRUE(shown.isEmpty());
  EXPECT_TRUE(device.requests.isEmpty());

  ui().answer(platform::IdYes);
  editor->MenuPrint->trigger();
  EXPECT_EQ(shown, QStringList{"fPrint"});
  EXPECT_EQ(Explicit(0), "9||9");
}

TEST_F(Editor, PrintToFileWithoutSavingListsTheStoredPhonebook) {
  CRegistry().setMachineSetting(QString::fromLatin1(kInstallKey), QStringLiteral("Path"), tree.env.scratch());
  OpenExplicit({{5, "5551234"}});
  type("777");  // not saved
  ui().answer(platform::IdNo);
  editor->MenuPrintFile->trigger();
  EXPECT_EQ(ui().boxes()[0].text,
            "To print the latest version of your phone book you must first save it. Do you "
            "wish to update the phonebook now?");
  ASSERT_EQ(ui().openedDocuments(), QStringList{tree.env.scratch() + "/ZEVtemp.txt"});
  QFile file(ui().openedDocuments().first());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(text.contains("  5\t5551234"));
  EXPECT_FALSE(text.contains("777"));
  EXPECT_TRUE(editor->PhonebookModified);
}

TEST_F(Editor, ClearingAndResyncingRebuildTheGrid) {
  OpenExplicit({{2, "22"}});
  ui().answer(platform::IdNo);
  editor->MenuClear->trigger();
  EXPECT_EQ(grid()->TextMatrix(3, 1), "22");
  EXPECT_TRUE(device.requests.isEmpty());

  ui().answer(platform::IdYes);
  editor->MenuClear->trigger();
  EXPECT_EQ(ui().boxes().back().text, "Are you sure you want to clear the phonebook?");
  EXPECT_EQ(ui().boxes().back().title, "Warning!");
  EXPECT_EQ(device.requests, QStringList{"00 01 66 00 01 2 0"});
  EXPECT_EQ(grid()->TextMatrix(3, 1), "");
  EXPECT_TRUE(editor->PhonebookListChanged);

  device.entries[7] = QStringLiteral("7777");
  ui().answer(platform::IdYes);
  editor->MenuResyncDevice->trigger();
  EXPECT_EQ(ui().boxes().back().text,
            "All descriptions will be lost!\rAre you sure you want to resynchronize the "
            "phonebook using the Device values?");
  EXPECT_EQ(grid()->TextMatrix(8, 1), "7777");
  EXPECT_EQ(Marker(), "0");

  StoreExplicit(9, QStringLiteral("99"), QStringLiteral("nine"), QString());
  ui().answer(platform::IdYes);
  device.requests.clear();
  editor->MenuResyncDatabase->trigger();
  EXPECT_EQ(ui().boxes().back().text,
            "Are you sure you want to resynchronize the phonebook using the Database values?");
  EXPECT_EQ(device.requests.size(), 64);
  EXPECT_EQ(grid()->TextMatrix(10, 2), "nine");
  EXPECT_EQ(device.entries[9], "99");
  EXPECT_TRUE(overlay()->isVisible());
  EXPECT_EQ(std::make_pair(grid()->Row(), grid()->Col()), std::make_pair(1, 1));
}

TEST_F(Editor, EditsWithoutAKeyPressMarkTheEditorChanged) {
  const std::pair<const char*, std::function<void(PhonebookOverlay*)>> ways[] = {
      {"accessible value",
       [](PhonebookOverlay* o) {
         QAccessible::queryAccessibleInterface(o)->setText(QAccessible::Value, QStringLiteral("42"));
       }},
      {"accessible insertion",
       [](PhonebookOverlay* o) {
         QAccessible::queryAccessibleInterface(o)->editableTextInterface()->insertText(0, QStringLiteral("42"));
       }},
      {"input method",
       [](PhonebookOverlay* o) {
         QInputMethodEvent commit;
         commit.setCommitString(QStringLiteral("42"));
         QApplication::sendEvent(o, &commit);
       }},
      {"paste",
       [](PhonebookOverlay* o) {
         QApplication::clipboard()->setText(QStringLiteral("42"));
         o->paste();
       }},
  };
  for (const auto& [way, edit] : ways) {
    SCOPED_TRACE(way);
    OpenExplicit();
    ASSERT_FALSE(editor->PhonebookModified);
    edit(overlay());
    EXPECT_EQ(grid()->TextMatrix(1, 1), "42");
    EXPECT_TRUE(editor->PhonebookModified);
  }
}

TEST_F(Editor, TheOverlayComesBackAfterAKeyboardMenuAndAfterScrolling) {
  OpenExplicit({{0, "12"}});
  editor->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
  ASSERT_EQ(QApplication::focusWidget(), overlay());
  // Alt+E opens the Edit menu; Escape closes it, and the menu bar after it.
  QTest::keyClick(overlay(), Qt::Key_E, Qt::AltModifier);
  ASSERT_EQ(QApplication::activePopupWidget(), editor->MenuEdit);
  QTest::keyClick(editor->MenuEdit, Qt::Key_Escape);
  if (QApplication::focusWidget() == editor->MenuBar)
    QTest::keyClick(editor->MenuBar, Qt::Key_Escape);
  EXPECT_TRUE(overlay()->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), overlay());

  // Scrolled away with the wheel: typing brings the current cell back into view first.
  key(Qt::Key_End);
  grid()->verticalScrollBar()->setValue(grid()->verticalScrollBar()->maximum());
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : overlay(), Qt::Key_5);
  EXPECT_EQ(grid()->TextMatrix(1, 1), "125");
  EXPECT_TRUE(overlay()->isVisible());
  const QModelIndex current = grid()->model()->index(0, 0);
  EXPECT_TRUE(grid()->viewport()->rect().contains(grid()->visualRect(current)));
  EXPECT_EQ(overlay()->text(), "125");
}

}  // namespace
