// Every window the plug-in shows, walked as a screen reader walks it (the
// QAccessible tree that the desktop's accessibility bridge serves), against
// rules that hold for any control, so a new control cannot slip through:
//  - a control that acts has a name;
//  - a label that shows a value reads as that value, and an empty one reads
//    as nothing (not as its caption);
//  - a widget the window does not show is not in the tree;
//  - Tab visits the controls in the order they stand on the screen.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTextDocument>

#include "enrol/fwait.h"
#include "host/fabout.h"
#include "host/fregisterplugin.h"
#include "host/fregtemplate.h"
#include "phonebook/fphonebook.h"
#include "phonebook/fprint.h"
#include "ring_stats/ring_stats.h"
#include "windows/fdialondemand.h"
#include "windows/fperpetual.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

QString NameOf(const QObject* o) {
  if (!o)
    return QStringLiteral("?");
  return o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : o->objectName();
}

QString PlainText(const QString& text) {
  if (!Qt::mightBeRichText(text))
    return text;
  QTextDocument document;
  document.setHtml(text);
  return document.toPlainText();
}

bool Acts(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Link:
    case QAccessible::MenuItem:
    case QAccessible::PageTab: return true;
    default: return false;
  }
}

// Reading order: top to bottom, and left to right within a row.
bool ReadsBefore(const QRect& a, const QRect& b) {
  constexpr int kRow = 8;
  if (a.center().y() < b.center().y() - kRow)
    return true;
  if (b.center().y() < a.center().y() - kRow)
    return false;
  return a.center().x() < b.center().x();
}

class Audit {
 public:
  explicit Audit(QWidget* window) : window_(window) {
    walk(QAccessible::queryAccessibleInterface(window), 0);
    tabOrder();
  }
  QStringList problems;

 private:
  void walk(QAccessibleInterface* node, int depth) {
    if (!node || depth > 40)
      return;
    QObject* object = node->object();
    auto* widget = qobject_cast<QWidget*>(object);
    const QAccessible::Role role = node->role();
    const QString name = node->text(QAccessible::Name).trimmed();
    const QString where = NameOf(object);
    if (widget && widget != window_ && !qobject_cast<QMenu*>(widget) && !widget->isVisibleTo(window_)) {
      problems << where + QStringLiteral(": hidden, but exposed");
      return;
    }
    if (!node->state().invisible) {
      if (Acts(role) && name.isEmpty() && !node->state().disabled && role != QAccessible::MenuItem)
        problems << where + QStringLiteral(": acts, but has no name");
      if (role == QAccessible::MenuItem && name.isEmpty() && !node->state().invisible &&
          node->text(QAccessible::Name).isNull() && !object)
        problems << QStringLiteral("a menu item without a name");
      if (auto* label = qobject_cast<QLabel*>(widget); label && label->pixmap().isNull()) {
        const QString shown = PlainText(label->text()).trimmed();
        if (!shown.isEmpty() && !name.contains(shown))
          problems << where + QStringLiteral(": shows \"") + shown + QStringLiteral("\" but reads \"") + name + u'"';
        if (shown.isEmpty() && !name.isEmpty())
          problems << where + QStringLiteral(": shows nothing but reads \"") + name + u'"';
      }
    }
    // A combo box's own parts (its drop-down list, its edit field) are read
    // as the combo box.
    if (role == QAccessible::ComboBox)
      return;
    for (int i = 0; i < node->childCount(); ++i)
      walk(node->child(i), depth + 1);
  }

  void tabOrder() {
    // The controls Tab reaches, in the order Tab reaches them, from the one
    // that stands first on the screen.
    QList<QWidget*> chain;
    for (QWidget* w = window_->nextInFocusChain(); w && w != window_ && chain.size() < 500; w = w->nextInFocusChain()) {
      if (!w->isVisibleTo(window_) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus) ||
          !window_->isAncestorOf(w))
        continue;
      // The edit field of an editable combo box takes the focus for it.
      QWidget* control = qobject_cast<QComboBox*>(w->parentWidget()) ? w->parentWidget() : w;
      if (!chain.contains(control))
        chain << control;
    }
    if (chain.size() < 2)
      return;
    auto rect = [this](QWidget* w) { return QRect(w->mapTo(window_, QPoint(0, 0)), w->size()); };
    qsizetype first = 0;
    for (qsizetype i = 1; i < chain.size(); ++i)
      if (ReadsBefore(rect(chain[i]), rect(chain[first])))
        first = i;
    for (qsizetype k = 0; k + 1 < chain.size(); ++k) {
      QWidget* a = chain[(first + k) % chain.size()];
      QWidget* b = chain[(first + k + 1) % chain.size()];
      if (ReadsBefore(rect(b), rect(a)))
        problems << QStringLiteral("Tab goes from ") + NameOf(a) + QStringLiteral(" back to ") + NameOf(b);
    }
  }

  QWidget* window_;
};

class Accessibility : public ExplicitWindowTest {
 protected:
  void SetUp() override {
    ExplicitWindowTest::SetUp();
    QAccessible::setActive(true);
  }
  void expectAccessible(QWidget* window) {
    window->show();
    QCoreApplication::processEvents();
    const Audit audit(window);
    EXPECT_TRUE(audit.problems.isEmpty())
        << NameOf(window).toStdString() << ":\n  " << audit.problems.join(QStringLiteral("\n  ")).toStdString();
    audited << NameOf(window);
  }
  // Opens a modal window through its command and audits it while it is shown.
  void auditModal(const std::function<void()> open) {
    scriptedUi().onModal([this](QDialog* d) {
      expectAccessible(d);
      d->hide();
      return 0;
    });
    open();
    scriptedUi().onModal(nullptr);
  }
  QStringList audited;
};

TEST_F(Accessibility, EveryWindowReadsAsItShowsAndTabsInReadingOrder) {
  configureExplicitDevice();
  expectAccessible(w());
  auditModal([this] { ring_stats::ShowConnectionStatistics(*w()); });
  auditModal([this] { w()->SubMenuRingMode->trigger(); });
  auditModal([this] { w()->MenuPhoneBook->trigger(); });
  auditModal([this] { w()->PerpetualItem->trigger(); });
  w()->hide();

  configureObject(MMain.InternalModemObjectName);
  expectAccessible(main());
  main()->MenuDialOnDemand->trigger();
  if (auto* dialog = main()->findChild<fDialOnDemand*>())
    expectAccessible(dialog);
  main()->hide();

  phonebook::fPrint print;
  print.GetDevice(device());
  expectAccessible(&print);
  fConnectionError error;
  error.Label1->setText(QStringLiteral("No response from RLX-Explicit."));
  expectAccessible(&error);
  fProgress progress;
  expectAccessible(&progress);
  fAbout about;
  expectAccessible(&about);
  fRegisterPlugIn registration;
  expectAccessible(&registration);
  fRegTemplate templates;
  expectAccessible(&templates);
  fWait wait;
  expectAccessible(&wait);
  EXPECT_EQ(audited.size(), 14) << audited.join(u' ').toStdString();
}

}  // namespace
