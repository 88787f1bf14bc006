#include "platform/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTextDocument>

namespace platform {

namespace {

constexpr char kCaption[] = "rlxAccessibleCaption";
constexpr char kLink[] = "rlxAccessibleLink";

QString PlainText(const QLabel* label) {
  const QString text = label->text();
  if (label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(text))
    return text;
  QTextDocument document;
  document.setHtml(text);
  return document.toPlainText();
}

QString CaptionText(const QWidget* caption) {
  QString text;
  if (const auto* label = qobject_cast<const QLabel*>(caption))
    text = label->text();
  else if (const auto* group = qobject_cast<const QGroupBox*>(caption))
    text = group->title();
  else if (caption)
    text = caption->accessibleName();
  text.remove(u'&');
  return text.trimmed();
}

// Activates a link label from the keyboard.
class LinkKeys : public QObject {
 public:
  LinkKeys(QLabel* label, std::function<void()> activate) : QObject(label), activate_(std::move(activate)) {}
  void activate() const {
    if (activate_)
      activate_();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        activate();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> activate_;
};

// A label that shows a value, or acts as a link.
class LabelAccessible : public QAccessibleWidget {
 public:
  explicit LabelAccessible(QLabel* label)
      : QAccessibleWidget(label, label->property(kLink).toBool() ? QAccessible::Link : QAccessible::StaticText) {}

  QLabel* label() const { return static_cast<QLabel*>(widget()); }
  QWidget* caption() const { return qobject_cast<QWidget*>(label()->property(kCaption).value<QObject*>()); }
  LinkKeys* link() const { return label()->findChild<LinkKeys*>(QString(), Qt::FindDirectChildrenOnly); }

  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name: return PlainText(label());
      case QAccessible::Description:
        if (const QWidget* c = caption())
          return CaptionText(c);
        break;
      default: break;
    }
    return QAccessibleWidget::text(t);
  }

  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
      QAccessible::Relation match = QAccessible::AllRelations) const override {
    auto rels = QAccessibleWidget::relations(match);
    if (QWidget* c = caption(); c && (match & QAccessible::Labelled))
      if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(c))
        rels.append({iface, QAccessible::Labelled});
    return rels;
  }

  // A link label's one action is to press it.
  QStringList actionNames() const override {
    return link() ? QStringList{pressAction()} : QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (LinkKeys* keys = link(); keys && action == pressAction())
      keys->activate();
    else
      QAccessibleWidget::doAction(action);
  }
};

QAccessibleInterface* LabelFactory(const QString& className, QObject* object) {
  if (className != QLatin1String("QLabel"))
    return nullptr;
  auto* label = qobject_cast<QLabel*>(object);
  if (!label || (!label->property(kCaption).isValid() && !label->property(kLink).toBool()))
    return nullptr;
  return new LabelAccessible(label);
}

void InstallFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(&LabelFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace

namespace {

// A label read before it was marked (its parent may ask for it as it is
// added, a screen reader as it is created) keeps the interface it got then;
// that one is dropped, so the next reading takes the marked one.
void Renew(QLabel* label) {
  if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

}  // namespace

void TieValueToCaption(QLabel* value, QWidget* caption) {
  InstallFactory();
  value->setProperty(kCaption, QVariant::fromValue(static_cast<QObject*>(caption)));
  // The caption no longer stands in for the value's name.
  value->setAccessibleName(QString());
  Renew(value);
}

void MakeKeyboardLink(QLabel* label, std::function<void()> activate) {
  InstallFactory();
  label->setProperty(kLink, true);
  label->setFocusPolicy(Qt::StrongFocus);
  label->installEventFilter(new LinkKeys(label, std::move(activate)));
  Renew(label);
}

void HideFromAssistiveTechnology(QWidget* helper) {
  // A window child (never shown) is owned by its parent and found by name,
  // but is no control of the parent's accessible tree.
  helper->setWindowFlags(Qt::Window);
  helper->hide();
}

}  // namespace platform
