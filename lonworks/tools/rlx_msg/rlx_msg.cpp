#include "rlx_msg.h"

#include <QCommandLineParser>
#include <algorithm>

#include "device_protocol/reply_text.h"
#include "lonworks/rlx_device/request_text.h"

namespace rlxmsg {

QString usage() {
  return QStringLiteral(
      "Usage: rlx-msg [--network NAME] --device SUBSYSTEM/DEVICE [--count N] \"00 01 48 00\"\n"
      "Sends an explicit message to an RLX router through the explicit message control\n"
      "and the data server, and prints the reply, its characters and the round-trip time.\n"
      "The message is written as the plug-in writes it: the message code in two digits,\n"
      "a blank, then byte values in decimal separated by blanks.\n"
      "\n"
      "  --network NAME   the network (default: the only one, or \"Demo\" among several)\n"
      "  --device PATH    the router, SUBSYSTEM/DEVICE\n"
      "  --count N        send the message N times and end with the round-trip times\n"
      "  -h, --help       show this text\n"
      "  --version        show the program's version\n"
      "\n"
      "Exit codes: 0 answered, 1 \"Message Failed\" or \"Message Timeout\", 2 wrong command line.\n");
}

QString messageProblem(const QString& message) {
  const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
  const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
  if (message.size() < 3 || !digit(message[0]) || !digit(message[1]) || !blank(message[2])) {
    QString why = QStringLiteral(
        "the control takes the message code from the first two characters and sends the text from the fourth "
        "character on, so a message starts with the code in two digits and a blank (\"00 01 48 00\")");
    if (message.size() > 3)
      why += QStringLiteral("; this one would reach the router as \"%1\"").arg(message.mid(3).trimmed());
    return why;
  }
  if (!rlxsim::parseRequestText(QStringView(message).mid(3)))
    return QStringLiteral(
        "after the message code the control sends byte values in decimal (0 to 255) separated by blanks, "
        "at least one");
  return QString();
}

std::optional<Options> parseArguments(const QStringList& arguments, QString* error) {
  auto fail = [&](const QString& why) {
    if (error)
      *error = why;
    return std::nullopt;
  };
  QCommandLineParser parser;
  const QCommandLineOption network(QStringLiteral("network"), QString(), QStringLiteral("NAME"));
  const QCommandLineOption device(QStringLiteral("device"), QString(), QStringLiteral("SUBSYSTEM/DEVICE"));
  const QCommandLineOption count(QStringLiteral("count"), QString(), QStringLiteral("N"));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version(QStringLiteral("version"), QString());
  parser.addOptions({network, device, count, help, version});
  const bool parsed = parser.parse(QStringList{QStringLiteral("rlx-msg")} + arguments);
  Options o;
  if (parser.isSet(help) || parser.isSet(version)) {
    o.action = parser.isSet(help) ? Options::Action::Help : Options::Action::Version;
    return o;
  }
  if (!parsed)
    return fail(parser.errorText());
  for (const QCommandLineOption* once : {&network, &device, &count})
    if (parser.values(*once).size() > 1)
      return fail(QStringLiteral("--%1 is given twice").arg(once->names().constFirst()));
  if (parser.isSet(network))
    o.network = parser.value(network);
  if (parser.isSet(count)) {
    bool ok = false;
    o.count = parser.value(count).toInt(&ok);
    if (!ok || o.count < 1 || o.count > 1000000)
      return fail(QStringLiteral("--count needs a number from 1 to 1000000"));
  }
  if (!parser.isSet(device))
    return fail(QStringLiteral("--device SUBSYSTEM/DEVICE is required"));
  o.device = parser.value(device);
  const QStringList parts = o.device.split(u'/');
  if (parts.size() != 2 || parts[0].isEmpty() || parts[1].isEmpty())
    return fail(QStringLiteral("\"%1\" is not a device path SUBSYSTEM/DEVICE").arg(o.device));
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1)
    return fail(positional.isEmpty() ? QStringLiteral("the message is missing, e.g. \"00 01 48 00\"")
                                     : QStringLiteral("give the message as one argument, in quotes"));
  o.message = positional[0];
  if (const QString problem = messageProblem(o.message); !problem.isEmpty())
    return fail(QStringLiteral("\"%1\" cannot be sent as written: %2").arg(o.message, problem));
  return o;
}

Target findTarget(lns::ObjectServer& server, const QString& network, const QString& devicePath) {
  server.Open();
  auto networks = server.Networks();
  QString name = network;
  if (name.isEmpty()) {
    const qint32 n = networks->Count();
    if (n == 1)
      name = networks->Item(1)->Name();
    else if (n == 0)
      throw lns::LnsError(lns::kErrNotFound, QStringLiteral("The database holds no network"));
    else
      name = QStringLiteral("Demo");  // among several; an error below when there is none
  }
  auto net = networks->Item(name);
  net->Open();
  auto system = net->Systems()->Item(1);
  system->Open();
  const QStringList parts = devicePath.split(u'/');
  auto device = system->Subsystems()->Item(parts.value(0))->AppDevices()->Item(parts.value(1));
  return Target{system->DataServerHandle(), device->Handle(), name};
}

QString nodeName(qint32 deviceHandle) {
  return deviceHandle < 0 ? QStringLiteral("#%1").arg(deviceHandle) : QStringLiteral("# %1").arg(deviceHandle);
}

QString decodedText(const QString& reply) {
  const QString text = device_protocol::DecodeReplyText(reply);
  QString out = QStringLiteral("\"");
  for (QChar c : text) {
    const ushort u = c.unicode();
    if (c == u'"' || c == u'\\')
      out += u'\\' + QString(c);
    else if (u < 0x20 || u >= 0x7f)
      out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    else
      out += c;
  }
  return out + u'"';
}

RoundTrips summarize(QList<double> times) {
  RoundTrips r;
  if (times.isEmpty())
    return r;
  std::sort(times.begin(), times.end());
  const qsizetype n = times.size();
  r.minMs = times.front();
  r.maxMs = times.back();
  r.medianMs = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  return r;
}

int run(const Options& options, const Sender& send, const Timer& timer, QTextStream& out) {
  auto ms = [](double v) { return QString::number(v, 'f', 3); };
  QList<double> times;
  int failures = 0;
  for (int i = 1; i <= options.count; ++i) {
    const qint64 start = timer();
    const QString reply = send(options.message);
    const double elapsed = double(timer() - start) / 1e6;
    times << elapsed;
    const bool failed = device_protocol::IsFailureReply(reply);
    failures += failed ? 1 : 0;
    if (options.count == 1) {
      out << "reply:   " << reply << "\n";
      if (!failed)
        out << "decoded: " << decodedText(reply) << "\n";
      out << "time:    " << ms(elapsed) << " ms\n";
    } else {
      out << "seq=" << i << " time=" << ms(elapsed) << " ms reply=" << reply;
      if (!failed)
        out << " decoded=" << decodedText(reply);
      out << "\n";
    }
    out.flush();
  }
  if (options.count > 1) {
    const RoundTrips r = summarize(times);
    out << "--- " << options.count << " requests, " << (options.count - failures) << " answered, " << failures
        << " failed ---\n"
        << "round-trip min/median/max = " << ms(r.minMs) << "/" << ms(r.medianMs) << "/" << ms(r.maxMs) << " ms\n";
  }
  return failures ? kExitFailed : kExitReplied;
}

}  // namespace rlxmsg
