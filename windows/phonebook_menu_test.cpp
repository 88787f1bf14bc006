// The Phonebook menu of both main windows opens the editor on the window's device.
#include <QTableWidget>

#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_grid.h"
#include "windows/testing/window_fixture.h"

namespace window_testing {
namespace {

class PhonebookMenu : public WindowTest {
 protected:
  // Entry 3 holds a number where each family keeps it.
  void storeEntry(fMain* w) { w->DialStringProperty->SetElement(3, "5550123"); }
  // While the editor is shown modally, reads its number column into numbers, then closes it.
  static void readEditorNumbers(QStringList& numbers) {
    scriptedUi().onModal([&numbers](QDialog* d) {
      if (d->objectName() == QLatin1String("fPhoneBook")) {
        auto* grid = d->findChild<phonebook::PhonebookGrid*>(QStringLiteral("MSFlexGrid"));
        if (grid)
          for (int r = 1; r < grid->Rows(); ++r)
            numbers << grid->TextMatrix(r, 1);
        d->close();
      }
      return 0;
    });
  }
  void storeEntry(fMainExplicit* w) {
    w->TheDevice->Extensions()->Item("ZevExplicitPhonebook3")->SetField(1, "5550123");
  }
};

TEST_F(PhonebookMenu, LonMarkWindowOpensTheEditorOnItsDialStrings) {
  configureObject(MMain.InternalModemObjectName);
  fMain* w = main();
  ASSERT_TRUE(w->MenuPhoneBook);
  ASSERT_TRUE(w->DialStringProperty);
  ASSERT_TRUE(w->MenuPhoneBook->isEnabled());
  // The operator works in a visible window (an editor closing over no visible
  // main window would end the plug-in).
  w->show();
  storeEntry(w);
  QStringList numbers;
  readEditorNumbers(numbers);
  w->MenuPhoneBook->trigger();
  EXPECT_TRUE(scriptedUi().modalsShown().contains("fPhoneBook"));
  EXPECT_EQ(numbers.size(), w->DialStringProperty->ElementCount());
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(numbers.value(3), "5550123");
}

TEST_F(PhonebookMenu, ExplicitWindowOpensTheEditorOnItsSixtyFourEntries) {
  configureExplicitDevice();
  fMainExplicit* w = explicitWindow();
  ASSERT_TRUE(w->MenuPhoneBook);
  ASSERT_TRUE(w->MenuPhoneBook->isEnabled());
  // The operator works in a visible window (an editor closing over no visible
  // main window would end the plug-in).
  w->show();
  storeEntry(w);
  QStringList numbers;
  readEditorNumbers(numbers);
  w->MenuPhoneBook->trigger();
  EXPECT_TRUE(scriptedUi().modalsShown().contains("fPhoneBook"));
  EXPECT_EQ(numbers.size(), 64);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(numbers.value(3), "5550123");
}

}  // namespace
}  // namespace window_testing
