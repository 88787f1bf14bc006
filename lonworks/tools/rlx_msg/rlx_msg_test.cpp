#include "rlx_msg.h"

#include <gtest/gtest.h>

#include "lonworks/object_server/test_network.h"

namespace rlxmsg {
namespace {

std::optional<Options> parse(const QStringList& args, QString* why = nullptr) { return parseArguments(args, why); }

TEST(RlxMsgArguments, TakesDeviceNetworkCountAndOneRequest) {
  const auto o = parse({"--network", "Demo", "--device", "Routers/RLX-Explicit", "--count=5", "00 01 48 00"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->network, "Demo");
  EXPECT_EQ(o->device, "Routers/RLX-Explicit");
  EXPECT_EQ(o->count, 5);
  EXPECT_EQ(o->message, "00 01 48 00");
  EXPECT_EQ(parse({"00 01 53 02", "--device=Routers/X"})->count, 1);
}

TEST(RlxMsgArguments, RefusesWhatIsNotACommandLineToSendOneRequest) {
  QString why;
  EXPECT_FALSE(parse({"00 01 48 00"}, &why));
  EXPECT_TRUE(why.contains("--device")) << why.toStdString();
  EXPECT_FALSE(parse({"--device", "RLX-Explicit", "00 01 48 00"}, &why));
  EXPECT_TRUE(why.contains("SUBSYSTEM/DEVICE")) << why.toStdString();
  EXPECT_FALSE(parse({"--device", "A/B"}, &why));
  EXPECT_FALSE(parse({"--device", "A/B", "00", "01"}, &why));
  EXPECT_FALSE(parse({"--device", "A/B", "--device", "A/C", "00 01 48 00"}, &why));
  EXPECT_FALSE(parse({"--device", "A/B", "--count", "0", "00 01 48 00"}, &why));
  EXPECT_FALSE(parse({"--device", "A/B", "--count", "many", "00 01 48 00"}, &why));
  EXPECT_FALSE(parse({"--device", "A/B", "--count"}, &why));
  EXPECT_FALSE(parse({"--device", "A/B", "--colour", "red", "00 01 48 00"}, &why));
  // The message must be a request: byte values, code first, something after it.
  for (const char* bad : {"hello", "00", "00 01 256", "00 01 4x", ""})
    EXPECT_FALSE(parse({"--device", "A/B", bad}, &why)) << bad;
  EXPECT_TRUE(parse({"--device", "A/B", "00  01\t48 0"}));
}

// The control takes the code from the first two characters and sends the text
// from the fourth on: a message written otherwise would reach the router changed.
TEST(RlxMsgArguments, RefusesAMessageTheControlCannotSendAsWritten) {
  struct Case {
    const char* message;
    const char* why;  // part of the reason given
  };
  for (const Case& c : {Case{"0 1 48 0", "would reach the router as \"48 0\""},
                        Case{"000 01 48 00", "would reach the router as \"01 48 00\""},
                        Case{" 00 01 48 00", "the code in two digits and a blank"},
                        Case{"00,01,48,00", "the code in two digits and a blank"}, Case{"00 ", "at least one"},
                        Case{"00 01 48 0x30", "byte values in decimal"}, Case{"00 01 300", "0 to 255"}}) {
    QString why;
    EXPECT_FALSE(parse({"--device", "A/B", c.message}, &why)) << c.message;
    EXPECT_TRUE(why.startsWith(QStringLiteral("\"%1\" cannot be sent as written: ").arg(c.message)))
        << why.toStdString();
    EXPECT_TRUE(why.contains(c.why)) << why.toStdString();
  }
  for (const char* good : {"00 01 48 00", "00 1 48 0", "00\t01 48 00", "00 01 32 02 53 53 53 0", "07 255"})
    EXPECT_EQ(messageProblem(good), "") << good;
}

TEST(RlxMsgArguments, HelpAndVersionWinOverTheRest) {
  EXPECT_EQ(parse({"--help"})->action, Options::Action::Help);
  EXPECT_EQ(parse({"--device", "A/B", "-h", "--colour"})->action, Options::Action::Help);
  EXPECT_EQ(parse({"0 1 48 0", "--version"})->action, Options::Action::Version);
  EXPECT_EQ(parse({"--device", "A/B", "00 01 48 00"})->action, Options::Action::Send);
}

TEST(RlxMsg, NamesTheDeviceAsTheDataServerDoes) {
  EXPECT_EQ(nodeName(17), "# 17");
  EXPECT_EQ(nodeName(0), "# 0");
  EXPECT_EQ(nodeName(-5), "#-5");
}

TEST(RlxMsg, ShowsTheReplyAsCharactersWithTheUnprintableEscaped) {
  EXPECT_EQ(decodedText("1\t48\t0\t82\t76\t88"), "\"\\x010 RLX\"");
  EXPECT_EQ(decodedText("34\t92\t200"), "\"\\\"\\\\\\xc8\"");
}

TEST(RlxMsg, SummarisesRoundTripsLikePing) {
  RoundTrips r = summarize({3.0, 1.0, 2.0});
  EXPECT_DOUBLE_EQ(r.minMs, 1.0);
  EXPECT_DOUBLE_EQ(r.medianMs, 2.0);
  EXPECT_DOUBLE_EQ(r.maxMs, 3.0);
  r = summarize({4.0, 1.0, 2.0, 10.0});
  EXPECT_DOUBLE_EQ(r.medianMs, 3.0);
  EXPECT_DOUBLE_EQ(summarize({}).maxMs, 0.0);
}

// A sender that answers from a script and a timer that the sender moves.
struct Script {
  Script(QStringList r, QList<qint64> c) : replies(std::move(r)), costsNs(std::move(c)) {}
  QStringList replies;
  QList<qint64> costsNs;
  QStringList sent;
  qint64 now = 0;
  int next = 0;
  Sender sender() {
    return [this](const QString& m) {
      sent << m;
      now += costsNs.value(next);
      return replies.value(next++);
    };
  }
  Timer timer() {
    return [this] { return now; };
  }
};

TEST(RlxMsg, OneRequestPrintsReplyCharactersAndTime) {
  Script s{{"1\t48\t0\t65"}, {1'500'000}};
  QString text;
  QTextStream out(&text);
  Options o;
  o.message = "00 01 48 00";
  EXPECT_EQ(run(o, s.sender(), s.timer(), out), kExitReplied);
  EXPECT_EQ(s.sent, QStringList{"00 01 48 00"});
  EXPECT_EQ(text, "reply:   1\t48\t0\t65\ndecoded: \"\\x010 A\"\ntime:    1.500 ms\n");
}

TEST(RlxMsg, FailureTextsExitWithOne) {
  for (const char* failure : {"Message Timeout", "Message Failed"}) {
    Script s{{failure}, {3'000'000'000}};
    QString text;
    QTextStream out(&text);
    Options o;
    o.message = "00 01 53 00";
    EXPECT_EQ(run(o, s.sender(), s.timer(), out), kExitFailed);
    EXPECT_EQ(text, QStringLiteral("reply:   %1\ntime:    3000.000 ms\n").arg(failure));
  }
}

TEST(RlxMsg, CountSendsEveryRequestAndEndsWithTheRoundTrips) {
  Script s{{"1\t19\t0\t0", "Message Timeout", "1\t19\t0\t0"}, {2'000'000, 3'000'000'000, 1'000'000}};
  QString text;
  QTextStream out(&text);
  Options o;
  o.message = "00 01 19 00";
  o.count = 3;
  EXPECT_EQ(run(o, s.sender(), s.timer(), out), kExitFailed);
  EXPECT_EQ(s.sent.size(), 3);
  const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 5);
  EXPECT_TRUE(lines[0].startsWith("seq=1 time=2.000 ms reply=1\t19\t0\t0 decoded=")) << lines[0].toStdString();
  EXPECT_EQ(lines[1], "seq=2 time=3000.000 ms reply=Message Timeout");
  EXPECT_EQ(lines[3], "--- 3 requests, 2 answered, 1 failed ---");
  EXPECT_EQ(lines[4], "round-trip min/median/max = 1.000/2.000/3000.000 ms");
}

TEST(RlxMsg, FindsTheHandlesThroughTheObjectServer) {
  lnssim::testing::LonWorksTree tree;
  auto server = tree.openServer();
  lnssim::testing::DemoNetwork demo(*server);
  const Target t = findTarget(*server, QString(), "Routers/RLX-Explicit");
  EXPECT_EQ(t.network, "Demo");
  EXPECT_EQ(t.dataServer, demo.sys.system->DataServerHandle());
  EXPECT_EQ(t.deviceHandle, demo.explicitDevice->Handle());
  lnssim::testing::errorOf([&] { findTarget(*server, "Demo", "Routers/RLX-Missing"); }, lns::kErrNotFound);
  lnssim::testing::errorOf([&] { findTarget(*server, "Nope", "Routers/RLX-Explicit"); }, lns::kErrNotFound);
  server->createNetwork("Second");
  EXPECT_EQ(findTarget(*server, QString(), "Routers/RLX-LonMark").deviceHandle, demo.lonMark->Handle());
}

}  // namespace
}  // namespace rlxmsg
