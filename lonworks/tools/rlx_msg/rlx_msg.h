#pragma once
// rlx-msg: sends one explicit message to an RLX router the way the plug-in
// does (through the explicit message control and the data server) and prints
// the reply, its characters and the time it took; with --count N it sends
// the message N times and ends with the round-trip summary, like ping.
//
//   rlx-msg [--network NAME] --device SUBSYSTEM/DEVICE [--count N] "00 01 48 00"
//   rlx-msg --help | --version
//
// Exit codes: 0 every request was answered, 1 a request ended in "Message
// Failed" or "Message Timeout" (or the database could not be read), 2 the
// command line is wrong (a message the control cannot send as written
// included) or names no such network or device.

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <optional>

#include "host/lns/lns.h"

namespace rlxmsg {

enum ExitCode { kExitReplied = 0, kExitFailed = 1, kExitUsage = 2 };

struct Options {
  enum class Action { Send, Help, Version };
  Action action = Action::Send;
  QString network;  // empty: the only network, or "Demo" among several
  QString device;   // "SUBSYSTEM/DEVICE"
  QString message;  // "00 01 48 00"
  int count = 1;
};

QString usage();
// The options, or the reason the command line is wrong. --help and --version
// win over anything else on the line.
std::optional<Options> parseArguments(const QStringList& arguments, QString* error);

// Why the explicit message control cannot send the text as it is written, or
// "" when it can. The control takes the message code from the text's start
// and sends the text from its fourth character on, which the data server
// reads as byte values in decimal separated by blanks; so a message is the
// code in two digits, one blank, then at least one value from 0 to 255
// ("00 01 48 00"). "0 1 48 0" would reach the router as "48 0".
QString messageProblem(const QString& message);

// The data-server handle of the network's first system and the device's handle.
struct Target {
  qint32 dataServer = 0;
  qint32 deviceHandle = 0;
  QString network;
};
// Opens the network through the Object Server; throws lns::LnsError.
Target findTarget(lns::ObjectServer& server, const QString& network, const QString& devicePath);

// "#" then the handle, after a blank when it is not negative: "# 17", "#-5".
QString nodeName(qint32 deviceHandle);

// The reply's values as characters (a 0 as a blank, as the plug-in decodes
// them), in double quotes, with anything unprintable written \xNN.
QString decodedText(const QString& reply);

struct RoundTrips {
  double minMs = 0, medianMs = 0, maxMs = 0;
};
// Over every request sent; the median of an even count is the mean of the middle two.
RoundTrips summarize(QList<double> times);

// Sends a message and answers the reply text (or a failure text).
using Sender = std::function<QString(const QString& message)>;
// Monotonic nanoseconds.
using Timer = std::function<qint64()>;

int run(const Options& options, const Sender& send, const Timer& timer, QTextStream& out);

}  // namespace rlxmsg
