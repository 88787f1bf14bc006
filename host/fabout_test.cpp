#include "host/fabout.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "host/product_picture.h"
#include "tests/support/scripted_ui.h"

using testing_support::scriptedUi;

namespace {

TEST(About, TextsAndLinkColours) {
  fAbout about;
  EXPECT_EQ(about.windowTitle(), "About Zev Products, Inc. RLX/Plug");
  EXPECT_EQ(about.LabelSoftware->text(), "RLX/Plug Plug-In Version 2.10b");
  EXPECT_EQ(about.LabelCompany->text(), "Zev Products, Inc.");
  EXPECT_EQ(about.Label1->text(), "Technical Support:");
  EXPECT_EQ(about.Label2->text(), "Website:");
  EXPECT_EQ(about.Label3->text(), "Phone: ");
  EXPECT_EQ(about.cmdOK->text(), "OK");
  EXPECT_FALSE(about.Label4->text().isEmpty());
  EXPECT_FALSE(about.Label6->text().isEmpty());
  EXPECT_FALSE(about.lblDisclaimer->text().isEmpty());
  about.show();
  EXPECT_EQ(about.linkColour(), QColor(0, 0, 255));

  // Hovering the link turns it magenta; moving over the window elsewhere turns it back.
  QMouseEvent over(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(about.Label5, &over);
  EXPECT_EQ(about.linkColour(), QColor(128, 0, 128));
  QMouseEvent elsewhere(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&about, &elsewhere);
  EXPECT_EQ(about.linkColour(), QColor(0, 0, 255));

  // A click opens the web address and leaves the link blue.
  QApplication::sendEvent(about.Label5, &over);
  QTest::mouseClick(about.Label5, Qt::LeftButton);
  EXPECT_EQ(scriptedUi().openedUrls(), QStringList{fAbout::kWebAddress});
  EXPECT_EQ(about.linkColour(), QColor(0, 0, 255));

  // From the keyboard too: Tab reaches the link, Enter opens it; a screen
  // reader sees a link it can press.
  EXPECT_TRUE(about.Label5->focusPolicy() & Qt::TabFocus);
  QTest::keyClick(about.Label5, Qt::Key_Return);
  QAccessibleInterface* link = QAccessible::queryAccessibleInterface(about.Label5);
  EXPECT_EQ(link->role(), QAccessible::Link);
  EXPECT_EQ(link->text(QAccessible::Name), fAbout::kWebAddress);
  link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(scriptedUi().openedUrls(), QStringList(3, fAbout::kWebAddress));

  // OK hides the window; it stays loaded.
  about.cmdOK->click();
  EXPECT_FALSE(about.isVisible());
}

TEST(About, TheProductPictureIsSharpOnAHighDensityScreen) {
  const QPixmap picture = host_ui::ProductPicture(QSize(72, 56), 2.0);
  EXPECT_EQ(picture.size(), QSize(144, 112));  // a pixel of its own for each device pixel
  EXPECT_EQ(picture.deviceIndependentSize(), QSizeF(72, 56));
  const QImage image = picture.toImage();
  EXPECT_NE(image.pixelColor(72, 56).alpha(), 0);  // drawn across the whole of it
}

TEST(About, OneWindowShownModallyOverItsOwner) {
  QWidget owner;
  fAbout::ShowAbout(&owner);
  fAbout::ShowAbout(&owner);
  EXPECT_EQ(scriptedUi().modalsShown(), (QStringList{"fAbout", "fAbout"}));
  EXPECT_EQ(fAbout::instance()->parentWidget(), &owner);
  fAbout::instance()->setParent(nullptr);
}

}  // namespace
