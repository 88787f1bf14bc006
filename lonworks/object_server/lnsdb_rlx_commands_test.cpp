// lnsdb's commands for the simulated RLX routers, run as the program runs
// them, with the simulator plugged in.

#include "lonworks/object_server/lnsdb_rlx_commands.h"

#include <gtest/gtest.h>

#include "lonworks/object_server/test_network.h"
#include "lonworks/rlx_device/rlx_runtime.h"

namespace lnsdb {
namespace {

struct Outcome {
  int code;
  QString out, err;
};

class LnsdbRlx : public ::testing::Test {
 protected:
  void SetUp() override {
    setRuntimeFactory(rlxsim::makeRlxRuntime);
    ASSERT_EQ(run({"demo"}).code, kExitOk);
  }
  void TearDown() override { setRuntimeFactory(nullptr); }
  Outcome run(const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = allCommands().run(args, o, e);
    o.flush();
    e.flush();
    return {code, out, err};
  }
  QString out(const QStringList& args) {
    const Outcome r = run(args);
    EXPECT_EQ(r.code, kExitOk) << args.join(' ').toStdString() << ": " << r.err.toStdString();
    return r.out;
  }
  // The text of each traffic line (after its last tab).
  QStringList trafficTexts(const QString& device) {
    QStringList texts;
    for (const QString& line : out({"traffic", device}).split('\n', Qt::SkipEmptyParts))
      texts << line.section('\t', -1);
    return texts;
  }

  lnssim::testing::LonWorksTree tree;
};

TEST_F(LnsdbRlx, DemoAddsTheRingAndThePhonebooksOnce) {
  EXPECT_EQ(out({"list", "devices"}).count('\n'), 6);
  EXPECT_EQ(out({"ring", "Routers"}).count('\n'), 7);  // the shape and six members
  EXPECT_TRUE(out({"ring", "Routers"}).startsWith("Ring of Routers: closed\n1\t"));
  const QString records = out({"records", "Routers/RLX-Explicit"});
  EXPECT_TRUE(records.contains("ZevExplicitPhonebook0\t5551234\tHead office\t5551234\n"));
  EXPECT_TRUE(records.contains("ZevExplicitPhonebook63\t\t\t\n"));
  EXPECT_TRUE(records.contains("ZevExplicitResync\t\t\t\n"));
  EXPECT_TRUE(out({"rlx-state", "Routers/RLX-Explicit"}).contains("Phonebook 5: 0800123456\n"));
  EXPECT_EQ(out({"get-cp", "Routers/RLX-LonMark/Directory #1", "UCPT_DialString", "--element", "1"}), "9,5559876\n");
  EXPECT_TRUE(out({"records", "Routers/RLX-LonMark"}).contains("ZevPhoneBook15\t\t\t\n"));
  EXPECT_EQ(out({"get-cp", "Routers/RLX-LonMark/Device Globals", "UCPT_RingMode"}), "Enable,2,2000,10000\n");
  EXPECT_EQ(out({"traffic", "Routers/RLX-LonMark"}), "");  // the set-up is not traffic
  // A second run changes nothing, also after the phonebook was edited.
  ASSERT_EQ(run({"set-cp", "Routers/RLX-LonMark/Directory #1", "UCPT_DialString", "--element", "1", "42"}).code,
            kExitOk);
  const Outcome again = run({"demo"});
  EXPECT_TRUE(again.out.contains("nothing was changed")) << again.out.toStdString();
  EXPECT_EQ(out({"get-cp", "Routers/RLX-LonMark/Directory #1", "UCPT_DialString", "--element", "1"}), "42\n");
}

TEST_F(LnsdbRlx, FaultsAndSettingsChangeWhatTheDeviceDoes) {
  EXPECT_EQ(out({"fault", "Routers/RLX-LonMark", "no-answer"}), "Routers/RLX-LonMark: fault no-answer\n");
  Outcome r = run({"get-nv", "Routers/RLX-LonMark", "nvoProductName"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_TRUE(r.err.contains("does not answer (error 4030)")) << r.err.toStdString();
  out({"fault", "Routers/RLX-LonMark", "none"});
  out({"set-rlx", "Routers/RLX-LonMark", "firmware", "3.10"});
  EXPECT_EQ(out({"get-nv", "Routers/RLX-LonMark", "nvoProductName"}), "RLX-LonMark 3.10\n");
  out({"set-rlx", "Routers/RLX-LonMark", "modem-ext1", "not-ready"});
  out({"set-rlx", "Routers/RLX-LonMark", "call-outcome", "no-dialtone"});
  out({"set-rlx", "Routers/RLX-LonMark", "connect-speed", "13,2,5"});
  out({"set-rlx", "Routers/RLX-Explicit", "phonebook", "no"});
  out({"set-rlx", "Routers/RLX-Explicit", "ring-mode", "Disable,7,3000,20000"});
  out({"set-rlx", "Routers/RLX-Explicit", "latency", "40,10"});
  out({"set-rlx", "Routers/RLX-Explicit", "loss", "25"});
  const QString state = out({"rlx-state", "Routers/RLX-LonMark"});
  EXPECT_TRUE(state.contains("Modem ext1: not-ready")) << state.toStdString();
  EXPECT_TRUE(state.contains("outcome no-dialtone, speed 13,2,5")) << state.toStdString();
  EXPECT_TRUE(state.contains("NV nvoCnctStat2 = TEL_ERROR")) << state.toStdString();
  const QString other = out({"rlx-state", "Routers/RLX-Explicit"});
  EXPECT_TRUE(other.contains("Phonebook support: no\n"));
  EXPECT_TRUE(other.contains("Ring mode: Disable,7,3000,20000\n"));
  EXPECT_TRUE(other.contains("Channel: latency 40 ms, jitter 10 ms, loss 25 %, 0 messages since set\n"))
      << other.toStdString();
  EXPECT_TRUE(out({"help", "set-rlx"}).contains("latency MS[,JITTER_MS] | loss PERCENT"));
  // Wrong settings and values are wrong command lines.
  for (const QStringList& bad : QList<QStringList>{{"firmware", "3.2"},
                                                   {"modem-ext3", "ready"},
                                                   {"modem-ext1", "broken"},
                                                   {"phonebook", "maybe"},
                                                   {"ring-mode", "On,1,2,3"},
                                                   {"connect-delay", "-1"},
                                                   {"call-outcome", "busy"},
                                                   {"connect-speed", "9,1"},
                                                   {"redial-time", "10"},
                                                   {"latency", "-5"},
                                                   {"latency", "40,10,2"},
                                                   {"loss", "101"},
                                                   {"loss", "some"},
                                                   {"colour", "red"}})
    EXPECT_EQ(run(QStringList{"set-rlx", "Routers/RLX-Explicit"} + bad).code, kExitUsage)
        << bad.join(' ').toStdString();
  EXPECT_EQ(run({"fault", "Routers/RLX-Explicit", "sometimes"}).code, kExitUsage);
  EXPECT_EQ(run({"fault", "Routers/RLX-Nowhere", "none"}).code, kExitFailed);
}

TEST_F(LnsdbRlx, TrafficListsWritesOldestFirstAndForgetsThemOnRequest) {
  out({"set-nv", "Routers/RLX-LonMark/Internal Modem", "nviDialStr1", "5551234"});
  out({"set-cp", "Routers/RLX-LonMark/Directory #2", "UCPT_DialString", "--element", "4", "77"});
  out({"set-nv", "Routers/RLX-LonMark/Internal Modem", "nviCallCancel1", "1 1"});
  EXPECT_EQ(trafficTexts("Routers/RLX-LonMark"),
            QStringList({"nviDialStr1=5551234", "UCPT_DialString[4]=77", "nviCallCancel1=1 1"}));
  const QString first = out({"traffic", "Routers/RLX-LonMark"}).section('\n', 0, 0);
  EXPECT_EQ(first.section('\t', 1, 2), "ok\tInternal Modem");
  EXPECT_EQ(run({"traffic"}).code, kExitUsage);
  out({"traffic", "--clear", "Routers/RLX-LonMark"});
  EXPECT_TRUE(trafficTexts("Routers/RLX-LonMark").isEmpty());
}

TEST_F(LnsdbRlx, TheNetworkClockMovesCallsAlongForEveryone) {
  EXPECT_TRUE(out({"clock", "freeze"}).contains("(frozen)"));
  out({"set-nv", "Routers/RLX-LonMark/External Modem #1", "nviDialStr2", "1"});
  EXPECT_EQ(out({"get-nv", "Routers/RLX-LonMark/External Modem #1", "nvoCnctStat2"}), "TEL_OFFHOOK\n");
  out({"clock", "advance", "4000"});
  EXPECT_EQ(out({"get-nv", "Routers/RLX-LonMark/External Modem #1", "nvoCnctStat2"}), "TEL_TALKING\n");
  out({"drop-call", "Routers/RLX-LonMark", "ext1", "carrier-lost"});
  EXPECT_EQ(out({"get-nv", "Routers/RLX-LonMark/External Modem #1", "nvoCnctStat2"}), "TEL_HANGINGUP\n");
  EXPECT_TRUE(out({"rlx-state", "Routers/RLX-LonMark"}).contains("last cause 1, hang-ups 1 0 0"));
  EXPECT_TRUE(out({"clock", "run"}).contains("running"));
  EXPECT_EQ(run({"clock", "advance"}).code, kExitUsage);
  EXPECT_EQ(run({"clock", "rewind"}).code, kExitUsage);
  EXPECT_EQ(run({"drop-call", "Routers/RLX-LonMark", "ext9", "1"}).code, kExitUsage);
}

TEST_F(LnsdbRlx, RingShapesAndMembersTheDatabaseDoesNotHold) {
  QString ring = out({"ring", "Routers", "open", "RLX-North", "0A0B0C0D0E0F"});
  EXPECT_TRUE(ring.startsWith("Ring of Routers: open between 050100000003 and 0A0B0C0D0E0F\n")) << ring.toStdString();
  ring = out({"ring", "Routers", "add-member", "9", "0a0b0c0d0e0f"});
  EXPECT_TRUE(ring.endsWith("9\t0A0B0C0D0E0F\t(not in the database)\n")) << ring.toStdString();
  out({"set-rlx", "Routers/RLX-West", "ring-mode", "Disable,6,2000,10000"});
  out({"fault", "Routers/RLX-East", "no-answer"});
  ring = out({"ring", "Routers"});
  EXPECT_FALSE(ring.contains("RLX-West"));
  EXPECT_FALSE(ring.contains("RLX-East"));
  EXPECT_EQ(ring.count('\n'), 6);
  out({"ring", "Routers", "remove-member", "0A0B0C0D0E0F"});
  EXPECT_EQ(run({"ring", "Routers", "remove-member", "0A0B0C0D0E0F"}).code, kExitFailed);
  EXPECT_TRUE(out({"ring", "Routers", "closed"}).startsWith("Ring of Routers: closed\n"));
  EXPECT_EQ(run({"ring", "Routers", "open", "RLX-North"}).code, kExitUsage);
  EXPECT_EQ(run({"ring", "Routers", "open", "RLX-North", "Nobody"}).code, kExitUsage);
  EXPECT_EQ(run({"ring", "Routers", "add-member", "255", "0A0B0C0D0E0F"}).code, kExitUsage);
  EXPECT_EQ(run({"ring", "Routers", "spin"}).code, kExitUsage);
}

}  // namespace
}  // namespace lnsdb
