// The device model on its own: requests built the way the plug-in builds
// them, replies read the way its windows read them, time moved by hand.

#include "lonworks/rlx_device/rlx_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "device_protocol/status_tables.h"
#include "host/lns/lns.h"
#include "lonworks/rlx_device/request_text.h"
#include "platform/clock.h"
#include "tests/support/qt_printers.h"

namespace rlxsim {
namespace {

namespace dp = device_protocol;
using Sel = dp::ModemSelector;

QString replyText(const Bytes& bytes) {
  QStringList values;
  for (std::uint8_t b : bytes)
    values << QString::number(b);
  return values.join(u'\t');
}

// One RLX on a bench: a manual clock, a ring around it, requests as text.
struct Bench {
  explicit Bench(Family family = Family::Explicit) : s(defaultState(family)) {}
  DeviceState s;
  platform::ManualClock clock;
  RingView ring;
  qint64 id = 42;
  QString neuron = QStringLiteral("050100000002");

  qint64 now() const { return clock.epochMs(); }
  void wait(qint64 ms) {
    clock.advance(ms);
    advance(s, now());
  }
  ExplicitAnswer answer(const QString& request) {
    const auto r = parseRequest(request);
    EXPECT_TRUE(r) << request.toStdString();
    DeviceContext ctx{id, neuron, [this] { return ring; }};
    return handleExplicit(s, ctx, r ? r->body : Bytes{}, now());
  }
  // The reply text the control would return ("Message Timeout" for silence).
  QString send(const QString& request) {
    const ExplicitAnswer a = answer(request);
    return a.silent ? QStringLiteral("Message Timeout") : replyText(a.reply);
  }
  dp::ReplyValues values(const QString& request) { return dp::SplitReplyText(send(request)); }
  QString state(Sel m) { return *dp::TelephoneState(values(dp::ModemStatus(m))[3]); }
  dp::ConnectionStatistics stats(Sel m) { return dp::StatisticsFromReply(values(dp::ReadModemStatistics(m))); }
  QString cancels(Sel m) { return stats(m).hangups[2]; }
};

TEST(RlxCalls, ProgressFromOffHookToTalkingAndReportTheConnection) {
  Bench b;
  b.s.call.connectDelayMs = 4000;
  EXPECT_EQ(b.state(Sel::External1), "TEL_NOTINUSE");
  EXPECT_TRUE(dp::ModemIsReady(b.send(dp::ModemStatus(Sel::External1))));
  b.send(dp::DialNumber(Sel::External1, "5551234"));
  EXPECT_EQ(b.state(Sel::External1), "TEL_OFFHOOK");
  EXPECT_EQ(b.state(Sel::Internal), "TEL_NOTINUSE");  // only the addressed modem dials
  b.wait(500);
  EXPECT_EQ(b.state(Sel::External1), "TEL_DIALING");
  b.wait(1500);
  EXPECT_EQ(b.state(Sel::External1), "TEL_DIALCOMP");
  EXPECT_EQ(dp::ConnectionLine(b.values(dp::ConnectionDetails(Sel::External1))), "Connect n/a n/a n/a");
  b.wait(1999);
  EXPECT_EQ(b.state(Sel::External1), "TEL_DIALCOMP");
  b.wait(1);
  EXPECT_EQ(b.state(Sel::External1), "TEL_TALKING");
  // A ready modem's status ends in "0" also while talking (code 9), and the
  // state code 10 of a hang-up must not be taken for readiness either.
  EXPECT_TRUE(dp::ModemIsReady(b.send(dp::ModemStatus(Sel::External1))));
  EXPECT_EQ(dp::ConnectionLine(b.values(dp::ConnectionDetails(Sel::External1))), "Connect 9600 V.32 V.42/V.42bis");
  EXPECT_EQ(b.stats(Sel::External1).successfulConnections, "1");
  // A busy modem ignores a second dial.
  b.send(dp::DialNumber(Sel::External1, "999"));
  EXPECT_EQ(b.s.modems[1].number, "5551234");
  b.wait(60'000);
  EXPECT_EQ(b.state(Sel::External1), "TEL_TALKING");
}

TEST(RlxCalls, OperatorHangUpCountsUserCallCancelOnceTheLineWasInUse) {
  Bench b;
  b.send(dp::HangUp(Sel::Internal));  // nothing to hang up: nothing counted
  EXPECT_EQ(b.cancels(Sel::Internal), "0");
  b.send(dp::DialNumber(Sel::Internal, "123"));
  b.wait(4000);
  b.send(dp::HangUp(Sel::Internal));
  EXPECT_EQ(b.state(Sel::Internal), "TEL_HANGINGUP");
  EXPECT_EQ(b.values(dp::ModemStatus(Sel::Internal))[3], "10");
  EXPECT_EQ(b.values(dp::ModemStatus(Sel::Internal))[4], "0");  // a modem that hangs up is still ready
  b.send(dp::HangUp(Sel::Internal));                            // already hanging up
  b.wait(1000);
  EXPECT_EQ(b.state(Sel::Internal), "TEL_NOTINUSE");
  const auto st = b.stats(Sel::Internal);
  EXPECT_EQ(st.lastCause, "User Call Cancel");
  EXPECT_EQ(st.hangups[2], "1");
  EXPECT_EQ(st.successfulConnections, "1");
  // Hanging up while still dialling counts too, and never connects.
  b.send(dp::DialNumber(Sel::Internal, "123"));
  b.wait(100);
  b.send(dp::HangUp(Sel::Internal));
  b.wait(10'000);
  EXPECT_EQ(b.cancels(Sel::Internal), "2");
  EXPECT_EQ(b.stats(Sel::Internal).successfulConnections, "1");
}

TEST(RlxCalls, SettableOutcomesHangUpWithTheirCause) {
  Bench b;
  b.s.call.outcome = cause::kNoInitialDialtone;
  b.send(dp::DialNumber(Sel::External2, "5551234"));
  b.wait(3999);
  EXPECT_EQ(b.state(Sel::External2), "TEL_DIALCOMP");
  b.wait(1);
  EXPECT_EQ(b.state(Sel::External2), "TEL_HANGINGUP");
  b.wait(1000);
  EXPECT_EQ(b.state(Sel::External2), "TEL_NOTINUSE");
  auto st = b.stats(Sel::External2);
  EXPECT_EQ(st.lastCause, "No Initial Dialtone");
  EXPECT_EQ(st.hangups[5], "1");
  EXPECT_EQ(st.successfulConnections, "0");
  // A character no modem dials fails the call with cause 8, whatever the setting.
  b.s.call.outcome = 0;
  b.send(dp::DialNumber(Sel::External2, "555-CALL"));
  b.wait(5000);
  st = b.stats(Sel::External2);
  EXPECT_EQ(st.lastCause, "Invalid Dialstring Character");
  EXPECT_EQ(st.hangups[7], "1");
  // The connection's codes are settable too.
  b.s.call.speed = 13;
  b.s.call.modulation = 2;
  b.s.call.errorCorrection = 5;
  b.s.call.connectDelayMs = 0;
  b.send(dp::DialNumber(Sel::External2, "P0041,123"));
  EXPECT_EQ(b.state(Sel::External2), "TEL_TALKING");
  EXPECT_EQ(dp::ConnectionLine(b.values(dp::ConnectionDetails(Sel::External2))),
            "Connect 19200 V.32 bis/terbo MNP/MNP5");
}

TEST(RlxCalls, AutoAnswerOffDropsTheLineAndCountsOneUserCallCancel) {
  Bench b;
  // The explicit phonebook dial: the baseline, auto answer off, wait for the count to move.
  const QString baseline = b.values(dp::ReadModemStatistics(Sel::Internal))[6];
  b.send(dp::AutoAnswerOff(Sel::Internal));
  EXPECT_NE(b.values(dp::ReadModemStatistics(Sel::Internal))[6], baseline);
  EXPECT_FALSE(b.s.modems[0].autoAnswer);
  b.send(dp::AutoAnswerOff(Sel::Internal));  // every "off" drops the line again
  EXPECT_EQ(b.cancels(Sel::Internal), "2");
  // With a call up the modem hangs up.
  b.send(dp::DialNumber(Sel::Internal, "1"));
  b.wait(4000);
  b.send(dp::AutoAnswerOff(Sel::Internal));
  EXPECT_EQ(b.state(Sel::Internal), "TEL_HANGINGUP");
  EXPECT_EQ(b.cancels(Sel::Internal), "3");
  b.send(dp::AutoAnswerOn(Sel::Internal));
  EXPECT_TRUE(b.s.modems[0].autoAnswer);
  EXPECT_EQ(b.cancels(Sel::Internal), "3");
}

TEST(RlxCalls, CountersWrapLikeTheDevicesBytes) {
  Bench b;
  b.s.modems[0].stats.hangups[2] = 255;
  b.send(dp::AutoAnswerOff(Sel::Internal));
  EXPECT_EQ(b.cancels(Sel::Internal), "0");  // still a change for a window waiting on it
}

TEST(RlxReboot, TakesTheDeviceAwayForAWhileAndBringsItBack) {
  Bench b;
  b.s.rebootMs = 5000;
  b.send(dp::DialNumber(Sel::Internal, "1"));
  b.wait(4000);
  EXPECT_NE(b.send(dp::SoftReboot()), "Message Timeout");  // answered, then gone
  EXPECT_EQ(b.send(dp::PresenceProbe()), "Message Timeout");
  EXPECT_EQ(b.send(dp::AutoAnswerOn(Sel::Internal)), "Message Timeout");
  EXPECT_TRUE(restarting(b.s, b.now()));
  b.wait(4999);
  EXPECT_FALSE(answers(b.s, b.now()));
  b.wait(1);
  EXPECT_TRUE(answers(b.s, b.now()));
  EXPECT_EQ(dp::FirmwareTextFromReply(b.send(dp::PresenceProbe())), "RLX Explicit 2.10");
  EXPECT_EQ(b.state(Sel::Internal), "TEL_NOTINUSE");  // the call went with the restart
  EXPECT_EQ(b.s.reboots, 1);
}

TEST(RlxReboot, ANoAnswerFaultSilencesEverything) {
  Bench b;
  b.s.fault = Fault::NoAnswer;
  for (const QString& r :
       {dp::PresenceProbe(), dp::ModemStatus(Sel::Internal), dp::ReadRingMode(), QString("00 01 99")})
    EXPECT_TRUE(b.answer(r).silent) << r.toStdString();
  const DeviceState before = b.s;
  b.answer(dp::DialNumber(Sel::Internal, "1"));
  EXPECT_EQ(b.s, before);  // a silent device does not act on what it did not answer
  b.s.fault = Fault::None;
  EXPECT_FALSE(b.answer(dp::PresenceProbe()).silent);
}

TEST(RlxPhonebook, StoresReadsAndErasesEntriesUpTo30Characters) {
  Bench b;
  const QString thirty = "P0123456789012345678901234567,";
  ASSERT_EQ(thirty.size(), 30);
  EXPECT_FALSE(dp::IsFailureReply(b.send(dp::StoreEntry(5, thirty))));
  EXPECT_EQ(dp::PhonebookNumberFromReply(b.send(dp::ReadEntry(5))), thirty);
  b.send(dp::StoreEntry(12, "9,5551234"));
  EXPECT_EQ(dp::PhonebookNumberFromReply(b.send(dp::ReadEntry(12))), "9,5551234");
  // The resync form (two blanks before its terminator) stores the same.
  b.send(dp::StoreEntryResync(63, "#31"));
  EXPECT_EQ(dp::PhonebookNumberFromReply(b.send(dp::ReadEntry(63))), "#31");
  // Erasing, in either form.
  b.send(dp::EraseEntry(5));
  EXPECT_EQ(dp::PhonebookNumberFromReply(b.send(dp::ReadEntry(5))), "");
  b.send(dp::StoreEntry(12, ""));
  EXPECT_EQ(b.send(dp::ReadEntry(12)), "1\t66\t0\t2\t12\t0");
  // The probe reads entry 0 and answers like any read.
  EXPECT_EQ(b.send(dp::PhonebookProbe()), "1\t66\t0\t2\t0\t0");
}

TEST(RlxPhonebook, RefusesWhatItCannotStoreAndChangesNothing) {
  Bench b;
  b.send(dp::StoreEntry(3, "123"));
  const DeviceState before = b.s;
  EXPECT_EQ(b.send(dp::StoreEntry(3, "P01234567890123456789012345678,")), "255");  // 31 characters
  EXPECT_EQ(b.send("00 01 66 00 01 64 49 0"), "255");                              // entry 64
  EXPECT_EQ(b.send("00 01 66 00 01 3 49 7 0"), "255");                             // a control character
  EXPECT_EQ(b.send("00 01 66 00 02 200"), "255");
  EXPECT_EQ(b.send("00 01 66 00 02"), "255");
  EXPECT_EQ(b.s, before);
  EXPECT_EQ(dp::PhonebookNumberFromReply(b.send(dp::ReadEntry(3))), "123");
}

TEST(RlxPhonebook, ADeviceWithoutPhonebookOrRingModeAnswersTwo) {
  Bench b;
  b.s.phonebookSupported = false;
  b.s.ringModeSupported = false;
  for (const QString& r : {dp::PhonebookProbe(), dp::ReadEntry(4), dp::StoreEntry(4, "1"), dp::ReadRingMode(),
                           *dp::RingModeApply(true, "5", 2000, 10000)})
    EXPECT_TRUE(dp::IsNotSupportedReply(b.send(r))) << r.toStdString();
}

TEST(RlxDialModes, ManualAndPerpetualAreSetAndReadBack) {
  Bench b;
  auto mode = [&](Sel m) {
    const auto v = b.values(dp::ReadDialMode(m));
    return v[4] + u'/' + v[5];
  };
  EXPECT_EQ(mode(Sel::External1), "0/0");
  b.send(dp::SetPerpetualMode(Sel::External1, 7));
  EXPECT_EQ(mode(Sel::External1), "1/7");
  EXPECT_EQ(b.s.modems[1].dialMode, "PERPETUAL,7,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(mode(Sel::Internal), "0/0");
  b.send(dp::SetManualMode(Sel::External1));
  EXPECT_EQ(mode(Sel::External1), "0/0");
  EXPECT_EQ(b.send("00 01 69 02 01 01 64"), "255");  // no entry 64
  EXPECT_EQ(b.send("00 01 69 02 01 01"), "255");     // perpetual needs its entry
  EXPECT_EQ(b.send("00 01 69 02 01 05"), "255");
  ASSERT_TRUE(setDialMode(b.s, 0, "DOD,2,5,60,3,0,0,0,0,0,0", b.now()));
  EXPECT_EQ(mode(Sel::Internal), "2/2");
}

TEST(RlxDialModes, PerpetualModeKeepsCallingItsEntry) {
  Bench b;
  b.s.call.connectDelayMs = 2000;
  b.s.call.redialMs = 3000;
  b.send(dp::StoreEntry(4, "5551234"));
  b.send(dp::SetPerpetualMode(Sel::Internal, 4));
  EXPECT_EQ(b.state(Sel::Internal), "TEL_OFFHOOK");  // an idle modem calls at once
  EXPECT_EQ(b.s.modems[0].number, "5551234");
  b.wait(2000);
  EXPECT_EQ(b.state(Sel::Internal), "TEL_TALKING");
  // Hung up, it calls again after the pause.
  b.send(dp::HangUp(Sel::Internal));
  b.wait(1000);
  EXPECT_EQ(b.state(Sel::Internal), "TEL_NOTINUSE");
  b.wait(2999);
  EXPECT_EQ(b.state(Sel::Internal), "TEL_NOTINUSE");
  b.wait(1);
  EXPECT_EQ(b.state(Sel::Internal), "TEL_OFFHOOK");
  // Manual mode stops the redialling; the call up stays until hung up.
  b.send(dp::SetManualMode(Sel::Internal));
  b.wait(2000);
  b.send(dp::HangUp(Sel::Internal));
  b.wait(60'000);
  EXPECT_EQ(b.state(Sel::Internal), "TEL_NOTINUSE");
  EXPECT_EQ(b.stats(Sel::Internal).successfulConnections, "2");
}

TEST(RlxDialModes, AFailingPerpetualCallIsRetriedAndEveryFailureCounted) {
  Bench b;
  b.s.call = CallSettings{1000, cause::kCarrierLost, 9, 1, 3, 500, 500};  // a cycle of 2000 ms
  b.send(dp::StoreEntry(0, "1"));
  b.send(dp::SetPerpetualMode(Sel::External2, 0));
  b.wait(10'000);  // five whole cycles
  EXPECT_EQ(b.stats(Sel::External2).hangups[0], "5");
  // A long gap is crossed without stepping through every cycle, and counts the same.
  b.wait(2000 * 100'000);
  EXPECT_EQ(b.stats(Sel::External2).hangups[0], QString::number((5 + 100'000) % 256));
  EXPECT_EQ(b.stats(Sel::External2).lastCause, "Carrier Lost");
  // An empty entry is not called.
  b.send(dp::EraseEntry(0));
  b.wait(60'000);
  EXPECT_EQ(b.state(Sel::External2), "TEL_NOTINUSE");
}

TEST(RlxStatistics, ReplyPositionsAndClear) {
  Bench b;
  Statistics& st = b.s.modems[2].stats;
  st.lastCause = 2;
  st.hangups = {4, 5, 0, 0, 0, 0, 0, 0, 9};
  st.successes = 17;
  st.retrains = 3;
  const auto v = b.values(dp::ReadModemStatistics(Sel::External2));
  EXPECT_EQ(v.list(), QStringList({"1", "61", "3", "2", "4", "5", "0", "0", "0", "0", "0", "0", "9", "17", "3"}));
  const auto decoded = dp::StatisticsFromReply(v);
  EXPECT_EQ(decoded.lastCause, "Heartbeat Lost");
  EXPECT_EQ(decoded.hangups[8], "9");
  b.send(dp::ClearModemStatistics(Sel::External2));
  EXPECT_EQ(b.s.modems[2].stats, Statistics{});
  EXPECT_EQ(b.stats(Sel::External2).successfulConnections, "0");
}

TEST(RlxRequests, FirmwareModemSettingInputAudioAndServicePin) {
  Bench lonMark(Family::LonMark);
  EXPECT_EQ(dp::FirmwareTextFromReply(lonMark.send(dp::PresenceProbe())), "RLX-LonMark 3.20");
  EXPECT_TRUE(dp::InternalModemFitted(lonMark.send(dp::ReadModemSetting())));
  setPresence(lonMark.s, 0, Presence::Absent, lonMark.now());
  EXPECT_FALSE(dp::InternalModemFitted(lonMark.send(dp::ReadModemSetting())));
  Bench b;
  b.send(dp::MuteInputAudio());
  EXPECT_TRUE(b.s.inputMuted);
  b.send(dp::UnmuteInputAudio());
  EXPECT_FALSE(b.s.inputMuted);
  b.send(dp::PulseServicePin());
  b.send(dp::PulseServicePin());
  EXPECT_EQ(b.s.servicePinPulses, 2);
}

TEST(RlxRequests, ModemsNotReadyOrAbsentAreNotReadyAndDoNotDial) {
  Bench b;
  setPresence(b.s, 1, Presence::NotReady, b.now());
  setPresence(b.s, 2, Presence::Absent, b.now());
  EXPECT_FALSE(dp::ModemIsReady(b.send(dp::ModemStatus(Sel::External1))));
  EXPECT_FALSE(dp::ModemIsReady(b.send(dp::ModemStatus(Sel::External2))));
  EXPECT_EQ(b.values(dp::ModemStatus(Sel::External2))[3], "255");
  b.send(dp::DialNumber(Sel::External1, "1"));
  EXPECT_EQ(b.s.modems[1].state, tel::kNotInUse);
  // A modem that stops being ready drops its call: DSR lost.
  b.send(dp::DialNumber(Sel::Internal, "1"));
  b.wait(4000);
  setPresence(b.s, 0, Presence::NotReady, b.now());
  EXPECT_EQ(b.stats(Sel::Internal).lastCause, "DSR Lost");
  setPresence(b.s, 0, Presence::Ready, b.now());
  EXPECT_EQ(b.state(Sel::Internal), "TEL_NOTINUSE");
}

TEST(RlxRequests, UnknownAndMalformedRequestsAnswer255AndChangeNothing) {
  Bench b;
  const DeviceState before = b.s;
  for (const char* r : {"00 01 99 00", "00 02 48 00", "00 01", "00 01 53 01", "00 01 53 04", "00 01 61 00",
                        "00 01 61 00 02", "00 01 65 00 02", "00 01 34 00", "00 01 34 00 07", "00 01 48 05",
                        "00 01 55 00 06", "00 01 72 00 01 01 5", "00 01 73 00", "00 01 69 00 03"})
    EXPECT_EQ(b.send(r), "255") << r;
  EXPECT_EQ(b.s, before);
  EXPECT_EQ(handleExplicit(b.s, DeviceContext{}, Bytes{}, b.now()).reply, Bytes{kUnknownCommandReply});
  // Runs of blanks and leading zeros carry no meaning.
  EXPECT_EQ(b.send("00  001 053\t2"), b.send("00 01 53 02"));
}

TEST(RlxRingMode, ParametersWriteAndReadByMessage) {
  Bench b;
  b.send(*dp::RingModeApply(true, "5", 2000, 10000));
  const auto v = b.values(dp::ReadRingMode());
  EXPECT_EQ(v.list().mid(4), QStringList({"1", "5", "7", "208", "39", "16"}));
  EXPECT_EQ(ringModeText(b.s.ring), "Enable,5,2000,10000");
  b.send(*dp::RingModeApply(false, "64", 7500, 65000));
  EXPECT_EQ(ringModeText(b.s.ring), "Disable,64,7500,65000");
}

// A ring of four with the device under test (unit 1) in it.
struct RingBench : Bench {
  RingBench() {
    s.ring = RingMode{true, 1, 2000, 10000};
    ring.members = {{1, neuron, id}, {2, "050100000001", 41}, {3, "050100000003", 43}, {4, "0A0B0C0D0E0F", 0}};
  }
  // The query of the ring status dialog: start, poll until the test ends, walk.
  QList<dp::ReplyValues> query(int* polls = nullptr) {
    send(dp::RingStatusStart());
    QList<dp::ReplyValues> entries;
    int n = 0;
    do {
      entries = {values(dp::RingStatusPoll())};
      ++n;
    } while (entries[0][13] == "1" && n < 10);
    if (polls)
      *polls = n;
    while (entries.back()[4] != "255" && entries.size() < 100)
      entries << values(dp::RingStatusNext());
    return entries;
  }
};

TEST(RlxRingStatus, AClosedRingIsWalkedFromTheAddressedDevice) {
  RingBench b;
  int polls = 0;
  const auto entries = b.query(&polls);
  EXPECT_EQ(polls, 3);  // running on the first two polls
  ASSERT_EQ(entries.size(), 5);
  QStringList units, neurons;
  for (const auto& e : entries) {
    units << e[4];
    neurons << QStringLiteral("%1%2%3%4%5%6")
                   .arg(e[5].toInt(), 2, 16, QChar('0'))
                   .arg(e[6].toInt(), 2, 16, QChar('0'))
                   .arg(e[7].toInt(), 2, 16, QChar('0'))
                   .arg(e[8].toInt(), 2, 16, QChar('0'))
                   .arg(e[9].toInt(), 2, 16, QChar('0'))
                   .arg(e[10].toInt(), 2, 16, QChar('0'))
                   .toUpper();
  }
  EXPECT_EQ(units, QStringList({"1", "2", "3", "4", "255"}));
  EXPECT_EQ(neurons.mid(0, 4), QStringList({"050100000002", "050100000001", "050100000003", "0A0B0C0D0E0F"}));
  for (const auto& e : entries.mid(0, 4)) {
    EXPECT_EQ(e[12], "1");  // in ring mode
    EXPECT_EQ(e[14], "1");  // closed
    EXPECT_EQ(e[15] + e[16], "00");
  }
  // Asked again, the walk starts over from the addressed device.
  EXPECT_EQ(b.query().size(), 5);
}

TEST(RlxRingStatus, AWalkStartsAtTheAddressedDeviceAndWrapsRound) {
  RingBench b;
  b.s.ring.unit = 3;
  b.ring.members = {{1, "050100000001", 41}, {2, "050100000005", 45}, {3, b.neuron, b.id}};
  QStringList units;
  for (const auto& e : b.query())
    units << e[4];
  EXPECT_EQ(units, QStringList({"3", "1", "2", "255"}));
}

TEST(RlxRingStatus, AnOpenRingMarksItsEndsWithTheHighestCounters) {
  RingBench b;
  b.ring.closed = false;
  b.ring.endA = 3;
  b.ring.endB = 4;
  const auto entries = b.query();
  ASSERT_EQ(entries.size(), 5);
  int maxA = -1, maxB = -1;
  QString unitA, unitB;
  for (const auto& e : entries) {
    EXPECT_EQ(e[14], "0");
    if (e[15].toInt() > maxA)
      maxA = e[15].toInt(), unitA = e[4];
    if (e[16].toInt() > maxB)
      maxB = e[16].toInt(), unitB = e[4];
  }
  EXPECT_EQ(unitA, "3");
  EXPECT_EQ(unitB, "4");
  EXPECT_EQ(entries[0][11], "3");  // the fallback end
}

TEST(RlxRingStatus, ADeviceNotInRingModeSaysSoAndHasNoWalk) {
  RingBench b;
  b.s.ring.enabled = false;
  b.ring.members.removeFirst();  // not in ring mode: not a member
  const auto entries = b.query();
  EXPECT_EQ(entries[0][12], "0");
  EXPECT_EQ(entries[0][4], "1");
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[1][4], "255");
}

TEST(RlxRingStatus, WithoutAStartTheTestIsNotRunning) {
  RingBench b;
  EXPECT_EQ(b.values(dp::RingStatusPoll())[13], "0");
}

TEST(RlxLonMark, StatusVariablesFollowTheCallAndOverridesLastUntilTheDeviceChangesThem) {
  Bench b(Family::LonMark);
  EXPECT_EQ(readVariable(b.s, "nvoProductName"), "RLX-LonMark 3.20");
  EXPECT_EQ(readVariable(b.s, "nvoCnctStat1"), "TEL_NOTINUSE");
  EXPECT_EQ(readVariable(b.s, "nviDialStr1"), std::nullopt);  // its stored value stands
  writeVariable(b.s, "nviDialStr2", "5551234", b.now());
  EXPECT_EQ(readVariable(b.s, "nvoCnctStat2"), "TEL_OFFHOOK");
  EXPECT_EQ(readVariable(b.s, "nvoCnctStr2"), "Dialing 5551234");
  b.wait(4000);
  EXPECT_EQ(readVariable(b.s, "nvoCnctStat2"), "TEL_TALKING");
  EXPECT_EQ(readVariable(b.s, "nvoCnctStr2"), "Connect 9600 V.32 V.42/V.42bis");
  writeVariable(b.s, "nviCallCancel2", "1 1", b.now());
  EXPECT_EQ(readVariable(b.s, "nvoCnctStat2"), "TEL_HANGINGUP");
  EXPECT_EQ(readVariable(b.s, "nvoCnctStr2"), "User Call Cancel");
  writeVariable(b.s, "nviCallCancel2", "0 0", b.now());  // no cancel
  EXPECT_THROW(writeVariable(b.s, "nviCallCancel2", "yes", b.now()), lns::LnsError);
  b.wait(1000);
  EXPECT_EQ(readVariable(b.s, "nvoCnctStat2"), "TEL_NOTINUSE");
  // A tool's write over an output stands until the device changes it.
  writeVariable(b.s, "nvoCnctStatEx2", "TEL_TALKING", b.now());
  EXPECT_EQ(readVariable(b.s, "nvoCnctStatEx2"), "TEL_TALKING");
  b.wait(10'000);
  EXPECT_EQ(readVariable(b.s, "nvoCnctStatEx2"), "TEL_TALKING");
  writeVariable(b.s, "nviDialStrEx2", "1", b.now());
  EXPECT_EQ(readVariable(b.s, "nvoCnctStatEx2"), "TEL_OFFHOOK");
}

TEST(RlxLonMark, TheFirmwareDecidesWhichAutoAnswerPropertyTheDeviceUses) {
  Bench b(Family::LonMark);
  EXPECT_EQ(readProperty(b.s, "UCPT_AutoAnswer", 1, -1, 1), "True");
  EXPECT_EQ(readProperty(b.s, "UCPT_AAnswer", 1, -1, 1), std::nullopt);
  writeProperty(b.s, "UCPT_AutoAnswer", 1, -1, "False", b.now());
  EXPECT_FALSE(b.s.modems[0].autoAnswer);
  EXPECT_EQ(b.cancels(Sel::Internal), "1");
  writeProperty(b.s, "UCPT_AAnswer", 1, -1, "1.1 1", b.now());  // not the one 3.20 uses
  EXPECT_FALSE(b.s.modems[0].autoAnswer);
  EXPECT_THROW(writeProperty(b.s, "UCPT_AutoAnswer", 1, -1, "maybe", b.now()), lns::LnsError);
  b.s.firmware = "3.10";
  EXPECT_EQ(readProperty(b.s, "UCPT_AAnswer", 1, -1, 1), "0.0 0");
  writeProperty(b.s, "UCPT_AAnswer", 1, -1, "1.1 1", b.now());
  EXPECT_TRUE(b.s.modems[0].autoAnswer);
  EXPECT_EQ(readProperty(b.s, "UCPT_AutoAnswer", 1, -1, 1), std::nullopt);
}

TEST(RlxLonMark, DirectoryElementsAreThePhonebookThatMessagesReachToo) {
  Bench b(Family::LonMark);
  writeProperty(b.s, "UCPT_DialString", 4, 2, "9,5551234", b.now());
  writeProperty(b.s, "UCPT_DialString", 5, 0, "777", b.now());
  EXPECT_EQ(dp::PhonebookNumberFromReply(b.send(dp::ReadEntry(2))), "9,5551234");
  EXPECT_EQ(dp::PhonebookNumberFromReply(b.send(dp::ReadEntry(16))), "777");
  b.send(dp::StoreEntry(15, "15"));
  EXPECT_EQ(readProperty(b.s, "UCPT_DialString", 4, 15, 16), "15");
  const QString whole = *readProperty(b.s, "UCPT_DialString", 4, -1, 16);
  EXPECT_TRUE(whole.startsWith("\"\",\"\",\"9,5551234\",\"\"")) << whole.toStdString();
  EXPECT_EQ(splitElements(whole)->size(), 16);
  EXPECT_THROW(writeProperty(b.s, "UCPT_DialString", 4, 1, QString(31, '1'), b.now()), lns::LnsError);
  QStringList all(16);
  all[0] = "a\"b";
  writeProperty(b.s, "UCPT_DialString", 4, -1, joinElements(all), b.now());
  EXPECT_EQ(b.s.phonebook[0], "a\"b");
  EXPECT_EQ(b.s.phonebook[2], "");
}

TEST(RlxLonMark, DialModeAndRingModePropertiesAreValidated) {
  Bench b(Family::LonMark);
  b.s.phonebook[3] = "5551234";
  writeProperty(b.s, "UCPT_DialMode", 2, -1, "PERPETUAL,3,0,0,0,0,0,0,0,0,0", b.now());
  EXPECT_EQ(readVariable(b.s, "nvoCnctStat2"), "TEL_OFFHOOK");
  EXPECT_EQ(readProperty(b.s, "UCPT_DialMode", 2, -1, 1), "PERPETUAL,3,0,0,0,0,0,0,0,0,0");
  writeProperty(b.s, "UCPT_DialMode", 2, -1, "manual,4,0,0,0,0,0,0,0,0,0", b.now());
  EXPECT_EQ(b.s.modems[1].dialMode, "MANUAL,4,0,0,0,0,0,0,0,0,0");  // the windows read "MANUAL" exactly
  for (const char* bad : {"BOGUS", "PERPETUAL", "PERPETUAL,64", "DOD,a,b", "MANUAL,-1"})
    EXPECT_THROW(writeProperty(b.s, "UCPT_DialMode", 2, -1, bad, b.now()), lns::LnsError) << bad;
  writeProperty(b.s, "UCPT_RingMode", 6, -1, "Enable, 3, 1000 ,65000", b.now());
  EXPECT_EQ(readProperty(b.s, "UCPT_RingMode", 6, -1, 1), "Enable,3,1000,65000");
  for (const char* bad : {"On,1,2,3", "Enable,1,2", "Enable,256,2000,10000", "Enable,1,2000,70000"})
    EXPECT_THROW(writeProperty(b.s, "UCPT_RingMode", 6, -1, bad, b.now()), lns::LnsError) << bad;
}

TEST(RlxLonMark, WithoutTheInternalModemTheModemObjectsMoveUp) {
  Bench b(Family::LonMark);
  setPresence(b.s, 0, Presence::Absent, b.now());
  EXPECT_EQ(modemOfObject(b.s, 1), 1);
  EXPECT_EQ(modemOfObject(b.s, 2), 2);
  EXPECT_EQ(modemOfObject(b.s, 3), 2);
  writeVariable(b.s, "nviDialStr1", "1", b.now());
  EXPECT_EQ(b.s.modems[1].state, tel::kOffHook);
  EXPECT_EQ(b.state(Sel::External1), "TEL_OFFHOOK");
}

TEST(RlxChannel, LossAndJitterFollowAFixedSequencePerDevice) {
  struct Case {
    int loss;
    int minLost, maxLost;  // of 1000 messages
  };
  for (const Case c : {Case{0, 0, 0}, Case{30, 250, 350}, Case{100, 1000, 1000}}) {
    DeviceState s = defaultState(Family::Explicit);
    s.channel = Channel{40, 10, c.loss, 0};
    auto run = [&](qint64 deviceId) {
      s.channel.messages = 0;
      std::vector<ChannelPass> passes;
      for (int i = 0; i < 1000; ++i)
        passes.push_back(passChannel(s, deviceId));
      return passes;
    };
    const auto passes = run(7);
    const auto lost = std::count_if(passes.begin(), passes.end(), [](const ChannelPass& p) { return p.lost; });
    EXPECT_GE(lost, c.minLost) << c.loss;
    EXPECT_LE(lost, c.maxLost) << c.loss;
    std::set<qint64> delays;
    for (const ChannelPass& p : passes)
      delays.insert(p.delayMs);
    EXPECT_EQ(*delays.begin(), 40);
    EXPECT_EQ(*delays.rbegin(), 50);
    EXPECT_EQ(s.channel.messages, 1000);
    const auto again = run(7);
    const auto other = run(8);
    auto same = [](const std::vector<ChannelPass>& a, const std::vector<ChannelPass>& b) {
      return std::equal(a.begin(), a.end(), b.begin(), [](const ChannelPass& x, const ChannelPass& y) {
        return x.lost == y.lost && x.delayMs == y.delayMs;
      });
    };
    EXPECT_TRUE(same(passes, again));
    EXPECT_FALSE(same(passes, other));
  }
  // A channel that is not set passes at once and counts nothing (the state stays as stored).
  DeviceState plain = defaultState(Family::Explicit);
  const ChannelPass p = passChannel(plain, 7);
  EXPECT_FALSE(p.lost);
  EXPECT_EQ(p.delayMs, 0);
  EXPECT_EQ(plain.channel, Channel{});
}

TEST(RlxState, SurvivesItsJsonDocument) {
  Bench b(Family::LonMark);
  b.send(dp::StoreEntry(9, "P9,(0)12-34"));
  b.send(dp::SetPerpetualMode(Sel::External1, 9));
  b.send(dp::MuteInputAudio());
  writeVariable(b.s, "nvoProductName", "1 1", b.now());
  b.s.fault = Fault::ResetOnce;
  b.s.modems[2].presence = Presence::NotReady;
  b.s.modems[0].stats.hangups[4] = 7;
  b.s.ring = RingMode{true, 9, 3000, 20000};
  b.s.ringPolls = 1;
  b.s.channel = Channel{40, 10, 25, 7};
  const auto back = fromJson(toJson(b.s));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, b.s);
  EXPECT_FALSE(fromJson("not json"));
  // Values out of range are held within range.
  const auto odd = fromJson(R"({"family":"explicit","firmware":"x","modems":[{"state":9999,"number":"1\u0007"}]})");
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->firmware, "2.10");
  EXPECT_EQ(odd->modems[0].state, 255);
  EXPECT_EQ(odd->modems[0].number, "1");
}

}  // namespace
}  // namespace rlxsim
