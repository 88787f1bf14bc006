#include "rlx_msg.h"

#include <algorithm>

#include "device_protocol/reply_text.h"
#include "lonworks/rlx_device/request_text.h"

namespace rlxmsg {

QString usage() {
  return QStringLiteral(
      "Usage: rlx-msg [--network NAME] --device SUBSYSTEM/DEVICE [--count N] \"00 01 48 00\"\n"
      "Sends an explicit message to an RLX router through the explicit message control\n"
      "and the data server, and prints the reply, its characters and the round-trip time.\n"
      "Exit codes: 0 answered, 1 \"Message Failed\" or \"Message Timeout\", 2 wrong command line.\n");
}

std::optional<Options> parseArguments(const QStringList& arguments, QString* error) {
  Options o;
  QStringList positional;
  auto fail = [&](const QString& why) {
    if (error)
      *error = why;
    return std::nullopt;
  };
  bool haveDevice = false, haveNetwork = false, haveCount = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    QString word = arguments[i];
    QString value;
    bool inlineValue = false;
    if (word.startsWith(QLatin1String("--")) && word.contains(u'=')) {
      value = word.mid(word.indexOf(u'=') + 1);
      word = word.left(word.indexOf(u'='));
      inlineValue = true;
    }
    auto take = [&](bool& seen) -> std::optional<QString> {
      if (seen)
        return std::nullopt;
      seen = true;
      if (inlineValue)
        return value;
      if (i + 1 >= arguments.size())
        return std::nullopt;
      return arguments[++i];
    };
    if (word == QLatin1String("--device")) {
      const auto v = take(haveDevice);
      if (!v)
        return fail(QStringLiteral("--device needs one value, SUBSYSTEM/DEVICE"));
      o.device = *v;
    } else if (word == QLatin1String("--network")) {
      const auto v = take(haveNetwork);
      if (!v)
        return fail(QStringLiteral("--network needs one value, NAME"));
      o.network = *v;
    } else if (word == QLatin1String("--count")) {
      const auto v = take(haveCount);
      bool ok = false;
      o.count = v ? v->toInt(&ok) : 0;
      if (!ok || o.count < 1 || o.count > 1000000)
        return fail(QStringLiteral("--count needs a number from 1 to 1000000"));
    } else if (word.startsWith(QLatin1String("--"))) {
      return fail(QStringLiteral("unknown option %1").arg(word));
    } else {
      positional << arguments[i];
    }
  }
  if (!haveDevice)
    return fail(QStringLiteral("--device SUBSYSTEM/DEVICE is required"));
  const QStringList parts = o.device.split(u'/');
  if (parts.size() != 2 || parts[0].isEmpty() || parts[1].isEmpty())
    return fail(QStringLiteral("\"%1\" is not a device path SUBSYSTEM/DEVICE").arg(o.device));
  if (positional.size() != 1)
    return fail(positional.isEmpty() ? QStringLiteral("the message is missing, e.g. \"00 01 48 00\"")
                                     : QStringLiteral("give the message as one argument, in quotes"));
  o.message = positional[0];
  if (!rlxsim::parseRequest(o.message))
    return fail(QStringLiteral("\"%1\" is not a request: decimal byte values separated by blanks, the message code "
                               "first, e.g. \"00 01 48 00\"")
                    .arg(o.message));
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
