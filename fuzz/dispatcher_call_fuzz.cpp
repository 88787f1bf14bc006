// A director's call of any shape on the bus, as the dispatcher receives it:
// input lines are the member, the interface, the object ("f" the factory,
// "o" the caller's own object, anything else a path), the signature and then
// the arguments ("i:", "n:", "b:", "s:" give the type). Every call is
// answered, an error always with a valid D-Bus error name, and the caller's
// object is released afterwards.

#include <QApplication>
#include <QDBusObjectPath>
#include <QFile>
#include <QTemporaryDir>

#include "fuzz/fuzz_check.h"
#include "host/automation_dispatch.h"
#include "platform/headless_ui.h"

namespace {

bool ValidErrorName(const QString& name) {
  const QStringList parts = name.split(u'.');
  if (parts.size() < 2 || name.size() > 255)
    return false;
  for (const QString& part : parts) {
    if (part.isEmpty() || part[0].isDigit())
      return false;
    for (QChar c : part)
      if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_')
        return false;
  }
  return true;
}

QVariant Argument(const QString& text) {
  const QString value = text.mid(2);
  if (text.startsWith(QLatin1String("i:")))
    return QVariant::fromValue<qint32>(value.toInt());
  if (text.startsWith(QLatin1String("n:")))
    return QVariant::fromValue<qint16>(static_cast<qint16>(value.toInt()));
  if (text.startsWith(QLatin1String("b:")))
    return QVariant(value == QLatin1String("1"));
  return QVariant(text.startsWith(QLatin1String("s:")) ? value : text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QTemporaryDir root;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("RLX_REGISTRY_ROOT", QFile::encodeName(root.path()));
  static QApplication app(*argc, *argv);
  static platform::HeadlessUiServices ui(platform::HeadlessUiServices::Questions::TakeDefault, [](const QString&) {});
  platform::setUi(&ui);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static automation::Dispatcher dispatcher;
  const QString caller = QStringLiteral(":1.7");
  const automation::Reply created = dispatcher.dispatch(automation::Call{
      caller, automation::kFactoryPath, automation::kFactoryInterface, QStringLiteral("CreateObject"), QString(), {}});
  FUZZ_CHECK(!created.isError() && created.values.size() == 1);
  const QString own = created.values[0].value<QDBusObjectPath>().path();

  QStringList lines = fuzzFields(data, size);
  while (lines.size() < 4)
    lines << QString();
  automation::Call call{caller, lines[2], lines[1], lines[0], lines[3], {}};
  if (lines[2] == QLatin1String("f"))
    call.path = automation::kFactoryPath;
  else if (lines[2] == QLatin1String("o"))
    call.path = own;
  for (int i = 4; i < lines.size() && i < 12; ++i)
    call.args << Argument(lines[i]);
  const automation::Reply reply = dispatcher.dispatch(call);
  if (reply.isError())
    FUZZ_CHECK(ValidErrorName(reply.errorName));
  QApplication::processEvents();

  dispatcher.releaseOwnedBy(caller);
  FUZZ_CHECK(!dispatcher.owns(caller));
  return 0;
}
