#include "headless_ui.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

struct Button {
  int result;
  const char* caption;
};

QList<Button> buttonsOf(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok: return {{IdOk, "OK"}};
    case MsgButtons::OkCancel: return {{IdOk, "OK"}, {IdCancel, "Cancel"}};
    case MsgButtons::AbortRetryIgnore: return {{IdAbort, "Abort"}, {IdRetry, "Retry"}, {IdIgnore, "Ignore"}};
    case MsgButtons::YesNoCancel: return {{IdYes, "Yes"}, {IdNo, "No"}, {IdCancel, "Cancel"}};
    case MsgButtons::YesNo: return {{IdYes, "Yes"}, {IdNo, "No"}};
    case MsgButtons::RetryCancel: return {{IdRetry, "Retry"}, {IdCancel, "Cancel"}};
  }
  return {{IdOk, "OK"}};
}

const char* kindOf(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::None: return "message";
    case MsgIcon::Critical: return "error";
    case MsgIcon::Question: return "question";
    case MsgIcon::Exclamation: return "warning";
    case MsgIcon::Information: return "information";
  }
  return "message";
}

// The box texts separate their lines with a carriage return; on one line of
// the error output they are set apart with " / ".
QString oneLine(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar(13), QChar(10));
  QStringList lines = text.split(u'\n');
  for (QString& l : lines)
    l = l.trimmed();
  lines.removeAll(QString());
  return lines.join(QStringLiteral(" / "));
}

QString caption(QString text) { return text.remove(u'&'); }

QString program() {
  const QString name = QCoreApplication::applicationName();
  return name.isEmpty() ? QStringLiteral("RLX_Plug") : name;
}

}  // namespace

HeadlessUiServices::HeadlessUiServices(Questions questions, Writer write, Ending end)
    : questions_(questions), write_(std::move(write)), end_(std::move(end)) {
  if (!write_)
    write_ = [](const QString& line) {
      std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
      std::fflush(stderr);
    };
  if (!end_)
    end_ = [](int code) {
      std::fflush(nullptr);
      std::_Exit(code);
    };
}

void HeadlessUiServices::write(const QString& line) const { write_(program() + QStringLiteral(": ") + line); }

void HeadlessUiServices::nobodyToAnswer(const QString& question) {
  write(question +
        QStringLiteral(" -> nobody is there to answer; %1 ends (exit code %2)").arg(program()).arg(kExitNeedsOperator));
  end_(kExitNeedsOperator);
}

int HeadlessUiServices::messageBox(const MessageBoxRequest& r) {
  const QList<Button> set = buttonsOf(r.buttons);
  const int defaultIndex = r.defaultButton >= 0 && r.defaultButton < set.size() ? r.defaultButton : 0;
  QString line = QStringLiteral("[%1] %2: %3")
                     .arg(QLatin1String(kindOf(r.icon)),
                          r.title.isEmpty() ? QCoreApplication::applicationName() : r.title, oneLine(r.text));
  if (set.size() == 1) {  // a box that only informs needs no answer
    write(line);
    return set.front().result;
  }
  QStringList captions;
  for (int i = 0; i < set.size(); ++i)
    captions << QLatin1String(set[i].caption) + (i == defaultIndex ? QStringLiteral("*") : QString());
  line += QStringLiteral(" (") + captions.join(u'/') + u')';
  auto has = [&set](int result) {
    return std::any_of(set.begin(), set.end(), [result](const Button& b) { return b.result == result; });
  };
  // The answer a closed box gives: Cancel where there is one.
  const int closed = has(IdCancel) ? IdCancel : has(IdAbort) ? IdAbort : set.back().result;
  if (questions_ == Questions::EndProcess) {
    nobodyToAnswer(line);
    return closed;
  }
  // Nobody can change anything between two tries: Retry would ask again for ever.
  const Button chosen = set[defaultIndex];
  const int answer = chosen.result == IdRetry ? closed : chosen.result;
  const char* name = chosen.caption;
  for (const Button& b : set)
    if (b.result == answer)
      name = b.caption;
  write(line + QStringLiteral(" -> %1, with nobody there to answer").arg(QLatin1String(name)));
  return answer;
}

QString HeadlessUiServices::describe(QWidget* window) {
  QStringList texts;
  QStringList buttons;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window))
      continue;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      if (!label->text().trimmed().isEmpty())
        texts << oneLine(label->text());
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
      if (!group->title().trimmed().isEmpty())
        texts << caption(group->title());
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      if (button->text().isEmpty())
        continue;
      QString text = caption(button->text());
      if (button->isCheckable())
        text = (button->isChecked() ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) + text;
      auto* push = qobject_cast<QPushButton*>(button);
      if (push && push->isDefault())
        text += u'*';
      buttons << text;
    }
  }
  QString line = QStringLiteral("[window] ") + caption(window->windowTitle());
  if (!texts.isEmpty())
    line += QStringLiteral(": ") + texts.join(QStringLiteral(" / "));
  if (!buttons.isEmpty())
    line += QStringLiteral(" (") + buttons.join(u'/') + u')';
  return line;
}

int HeadlessUiServices::showModal(QDialog* dialog) {
  const QString line = describe(dialog);
  if (questions_ == Questions::EndProcess) {
    nobodyToAnswer(line);
    return QDialog::Rejected;
  }
  // Closed without a choice, as with its close box.
  write(line + QStringLiteral(" -> closed, with nobody there to answer"));
  return QDialog::Rejected;
}

bool HeadlessUiServices::awaitOperator(QWidget* window) {
  const QString line = describe(window);
  if (questions_ == Questions::EndProcess)
    nobodyToAnswer(line);
  else
    write(line + QStringLiteral(" -> closed, with nobody there to answer"));
  return false;
}

int HeadlessUiServices::refuse(QWidget* window, const QString& hint) {
  write(describe(window) + QStringLiteral(" -> nobody is there to answer"));
  if (!hint.isEmpty())
    write(hint);
  return kExitNeedsOperator;
}

}  // namespace platform
