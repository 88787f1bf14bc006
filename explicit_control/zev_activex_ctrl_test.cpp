#include "explicit_control/zev_activex_ctrl.h"

#include <gtest/gtest.h>
#include <time.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <thread>

#include "explicit_control/data_server_link.h"
#include "explicit_control/testing/fake_lcadatsv.h"
#include "explicit_control/testing/simulated_wait.h"
#include "explicit_control/zev_activex_ppg.h"
#include "tests/support/log_capture.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_env.h"

namespace {

namespace fake = fake_lcadatsv;
using Ctrl = CZEV_ActiveXCtrl;
using zev_testing::SimulatedWait;

constexpr qint32 kDs = 77;
const QString kFailed = QStringLiteral("Message Failed");

// What a call looked like, for comparing sequences.
std::vector<int> kinds(const std::vector<fake::Call>& calls) {
  std::vector<int> out;
  for (const fake::Call& c : calls)
    if (c.ordinal == lca::kOpenPoint)
      out.push_back(c.kind);
  return out;
}

const fake::Call* nth(const std::vector<fake::Call>& calls, int ordinal, int n = 0) {
  for (const fake::Call& c : calls)
    if (c.ordinal == ordinal && n-- == 0)
      return &c;
  return nullptr;
}

class Control : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv(zev::kDataServerPathVariable, ZEV_FAKE_LCADATSV);
    fake::Reset();
    ctrl.SetCompletionWait(&wait);
    ctrl.SetstrNodeName(QStringLiteral("RLX1"));
  }
  void TearDown() override {
    fake::Reset();
    qunsetenv(zev::kDataServerPathVariable);
  }

  Ctrl ctrl;
  SimulatedWait wait;
};

const std::vector<int> kResponseOrder = {17, 18, 17, 18, 17, 23, 18, 20, 21};

// QT_LOGGING_RULES="rlx.explicit=true" traces every message with its reply
// and time; without it the control says nothing.
TEST_F(Control, MessagesAreTracedWithReplyAndTimeOnlyWhenSwitchedOn) {
  fake::SetReply("0 1 61 5");
  fake::SetCompletion(fake::Completion::DuringWrite);
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 61 02 01"));
  {
    testing_support::LogCapture quiet;
    EXPECT_EQ(ctrl.MsgResponse(kDs), "0 1 61 5");
    EXPECT_EQ(quiet.lines(), QStringList());
  }
  testing_support::LogCapture log("rlx.explicit=true");
  EXPECT_EQ(ctrl.MsgResponse(kDs), "0 1 61 5");
  ctrl.SetPtrDataServer(kDs);
  qint32 err = 0;
  ctrl.TxMesWResp(3, QStringLiteral("00 01 48 00"), err);
  ctrl.SetstrExplicitMessage(QStringLiteral("01"));  // too short to be sent
  EXPECT_EQ(ctrl.MsgNoResponse(kDs), 1);
  const QStringList expected = {
      R"(MsgResponse to RLX1 \(data server 77\): "00 01 61 02 01" -> "0 1 61 5" in \d+ ms)",
      R"(TxMesWResp to RLX1 \(data server 77\): code 3, "00 01 48 00" -> "0 1 61 5" in \d+ ms)",
      R"(MsgNoResponse to RLX1 \(data server 77\): "01" -> status 1 in \d+ ms)",
  };
  ASSERT_EQ(log.lines().size(), expected.size()) << log.lines().join('\n').toStdString();
  for (qsizetype i = 0; i < expected.size(); ++i)
    EXPECT_TRUE(QRegularExpression("^rlx.explicit: " + expected[i] + '$').match(log.lines()[i]).hasMatch())
        << log.lines()[i].toStdString();
}

TEST_F(Control, MsgResponseSendsTheBodyWithCodeZeroAndReturnsTheReply) {
  fake::SetReply("0\t1\t61\t5");
  fake::SetCompletion(fake::Completion::DuringWrite);
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 61 02 01"));
  EXPECT_EQ(ctrl.MsgResponse(kDs), "0\t1\t61\t5");

  const auto calls = fake::Calls();
  EXPECT_EQ(fake::Ordinals(), kResponseOrder);
  EXPECT_EQ(kinds(calls), (std::vector<int>{3, 4, 1}));
  for (const fake::Call& c : calls) {
    EXPECT_EQ(c.dataServer, kDs);
    if (c.ordinal == lca::kOpenPoint) {
      EXPECT_EQ(c.code, 0);
      EXPECT_EQ(c.device, "RLX1");
      EXPECT_EQ(c.callback, c.kind != lca::kResponsePoint);
    }
    if (c.ordinal == lca::kActivatePoint) {
      EXPECT_EQ(c.value, 1);
    }
  }
  const int response = nth(calls, 17, 0)->point, completion = nth(calls, 17, 1)->point,
            request = nth(calls, 17, 2)->point;
  EXPECT_EQ(nth(calls, 18, 0)->point, response);
  EXPECT_EQ(nth(calls, 18, 1)->point, completion);
  EXPECT_EQ(nth(calls, 18, 2)->point, request);
  const fake::Call* attr = nth(calls, 23);
  EXPECT_EQ(attr->point, request);
  EXPECT_EQ(attr->attribute, 60);
  EXPECT_EQ(attr->value, 3);
  const fake::Call* write = nth(calls, 20);
  EXPECT_EQ(write->point, request);
  EXPECT_EQ(write->text, "01 61 02 01");
  EXPECT_EQ(write->value, 12);
  const fake::Call* read = nth(calls, 21);
  EXPECT_EQ(read->point, response);
  EXPECT_EQ(read->value, 100);
  // The completion came while the body was being written: the wait did not block.
  EXPECT_TRUE(wait.waits().isEmpty());
}

TEST_F(Control, TxMesWRespSendsTheWholeTextWithTheGivenCodeAndLeavesErrAlone) {
  fake::SetReply("r");
  ctrl.SetPtrDataServer(0x1234);
  qint32 err = 42;
  EXPECT_EQ(ctrl.TxMesWResp(5, QStringLiteral("01 14 00"), err), "r");
  EXPECT_EQ(err, 42);
  auto calls = fake::Calls();
  EXPECT_EQ(fake::Ordinals(), kResponseOrder);
  for (const fake::Call& c : calls) {
    EXPECT_EQ(c.dataServer, 0x1234);
    if (c.ordinal == lca::kOpenPoint) {
      EXPECT_EQ(c.code, 5);
    }
  }
  EXPECT_EQ(nth(calls, 20)->text, "01 14 00");
  EXPECT_EQ(nth(calls, 20)->value, 9);
  EXPECT_EQ(nth(calls, 23)->value, 3);

  fake::Reset();
  ctrl.TxMesWResp(-2, QStringLiteral("x"), err);
  EXPECT_EQ(nth(fake::Calls(), 17)->code, -2);  // sign-extended
}

TEST_F(Control, ResetFirstIsAnsweredWithAResetAndOneMoreOpen) {
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 48 00"));
  fake::QueueStatus(lca::kOpenPoint, {lca::kLcaResetFirst});
  fake::SetReply("ok");
  EXPECT_EQ(ctrl.MsgResponse(kDs), "ok");
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 2, 17, 18, 17, 18, 17, 23, 18, 20, 21}));
  EXPECT_EQ(nth(fake::Calls(), 2)->dataServer, kDs);
  EXPECT_EQ(nth(fake::Calls(), 17, 1)->kind, lca::kResponsePoint);

  // A failed reset ends MsgResponse without a second open...
  fake::Reset();
  fake::QueueStatus(lca::kOpenPoint, {lca::kLcaResetFirst});
  fake::QueueStatus(lca::kResetDataServer, {lca::kLcaFailed});
  EXPECT_EQ(ctrl.MsgResponse(kDs), kFailed);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 2}));

  // ...but the other methods open again whatever the reset answered.
  fake::Reset();
  fake::QueueStatus(lca::kOpenPoint, {lca::kLcaResetFirst});
  fake::QueueStatus(lca::kResetDataServer, {lca::kLcaFailed});
  EXPECT_EQ(ctrl.MsgNoResponse(kDs), 0);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 2, 17, 23, 18, 17, 18, 20}));

  // A second "reset first" is a failure like any other.
  fake::Reset();
  fake::QueueStatus(lca::kOpenPoint, {lca::kLcaResetFirst, lca::kLcaResetFirst});
  EXPECT_EQ(ctrl.MsgResponse(kDs), kFailed);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 2, 17}));
}

TEST_F(Control, EachExaminedStepOfMsgResponseEndsTheCallWhenItFails) {
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 19 00"));
  struct Step {
    int ordinal;
    int occurrence;  // which call of that ordinal fails
    bool fails;      // whether the call then answers "Message Failed"
    size_t calls;    // data-server calls made
  };
  const Step steps[] = {
      {17, 0, true, 1}, {18, 0, true, 2},  {17, 1, true, 3}, {18, 1, false, 9}, {17, 2, true, 5},
      {23, 0, true, 6}, {18, 2, false, 9}, {20, 0, true, 8}, {21, 0, true, 9},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "ordinal " << s.ordinal << " call " << s.occurrence);
    fake::Reset();
    fake::SetReply("1\t2");
    std::vector<std::int32_t> script(s.occurrence, lca::kLcaOk);
    script.push_back(lca::kLcaUnknownDevice);
    fake::QueueStatus(s.ordinal, script);
    EXPECT_EQ(ctrl.MsgResponse(kDs), s.fails ? kFailed : QStringLiteral("1\t2"));
    EXPECT_EQ(fake::Calls().size(), s.calls);
  }
}

TEST_F(Control, WithoutACompletionTheResponseIsStillReadAfterTheBound) {
  fake::SetReply("Message Timeout");
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 53 00"));
  EXPECT_EQ(ctrl.MsgResponse(kDs), "Message Timeout");
  EXPECT_EQ(wait.waited(), 3000);
  EXPECT_EQ(fake::Ordinals().back(), lca::kReadPoint);
}

TEST_F(Control, ACallbackWithFirstByteFFDoesNotEndTheWait) {
  fake::SetReply("r");
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 53 00"));
  wait.after(1000, [] { EXPECT_TRUE(fake::Deliver(0xFF)); });
  ctrl.MsgResponse(kDs);
  EXPECT_EQ(fake::CallbacksMade(), 1);
  EXPECT_EQ(wait.waited(), 3000);

  fake::Reset();
  fake::SetReply("r");
  SimulatedWait second;
  ctrl.SetCompletionWait(&second);
  second.after(1000, [] { fake::Deliver(0x00); });
  EXPECT_EQ(ctrl.MsgResponse(kDs), "r");
  EXPECT_EQ(second.waited(), 1000);
}

// Lets the fake's completion thread go only once the call is about to block,
// then blocks the real way.
class GateOpeningWait : public zev::CompletionWait {
 public:
  const platform::Clock& clock() const override { return zev::SystemCompletionWait::instance().clock(); }
  void waitAtMost(quint32 ms) override {
    ++blocks;
    fake::OpenGate();
    zev::SystemCompletionWait::instance().waitAtMost(ms);
  }
  int blocks = 0;
};

TEST_F(Control, ACompletionFromAnotherThreadWakesTheWait) {
  GateOpeningWait gate;
  ctrl.SetCompletionWait(&gate);
  fake::SetReply("7\t8");
  fake::SetCompletion(fake::Completion::FromThread, 0, /*gated=*/true);
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 57 02"));
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(ctrl.MsgResponse(kDs), "7\t8");
  EXPECT_LT(timer.elapsed(), 2000);
  EXPECT_GE(gate.blocks, 1);
  fake::JoinThreads();
  EXPECT_EQ(fake::CallbacksMade(), 1);
  EXPECT_NE(fake::CallbackThread(), std::this_thread::get_id());
}

double threadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

TEST_F(Control, AnUnansweredMessageWaitsThreeSecondsWithoutSpinning) {
  ctrl.SetCompletionWait(nullptr);  // the real clock and blocking
  fake::SetReply("Message Timeout");
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 53 00"));
  QElapsedTimer timer;
  timer.start();
  const double cpuBefore = threadCpuMs();
  EXPECT_EQ(ctrl.MsgResponse(kDs), "Message Timeout");
  const double cpu = threadCpuMs() - cpuBefore;
  EXPECT_GE(timer.elapsed(), 3000);
  EXPECT_LT(timer.elapsed(), 4000);
  EXPECT_LT(cpu, 100.0) << "the wait used " << cpu << " ms of CPU";
}

TEST_F(Control, AReplyLongerThanTheBufferIsReadWhole) {
  // A phonebook entry of 30 digits: five leading values, the codes, a final 0.
  std::string reply = "0\t1\t66\t0\t2";
  for (int i = 0; i < 30; ++i)
    reply.append(1, '\t').append(std::to_string(48 + i % 10));
  reply += "\t0";
  ASSERT_GT(reply.size(), 99u);
  fake::SetReply(reply);
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 66 00 02 05"));
  EXPECT_EQ(ctrl.MsgResponse(kDs).toStdString(), reply);
  const auto calls = fake::Calls();
  ASSERT_NE(nth(calls, 21, 1), nullptr);
  EXPECT_EQ(nth(calls, 21, 0)->value, 100);
  EXPECT_EQ(nth(calls, 21, 0)->status, lca::kLcaMoreData);
  EXPECT_EQ(nth(calls, 21, 1)->value, static_cast<int>(reply.size()) + 1);
  EXPECT_EQ(nth(calls, 21, 1)->point, nth(calls, 21, 0)->point);

  // A data server asking for an absurd buffer is not believed.
  fake::Reset();
  fake::SetReply(std::string(Ctrl::kMaxResponseSize + 10, '1'));
  EXPECT_EQ(ctrl.MsgResponse(kDs), kFailed);
}

TEST_F(Control, ShortMessagesAndAnUnassignedHandleSendNothing) {
  for (const QString& text : {QString(), QStringLiteral("0"), QStringLiteral("00")}) {
    ctrl.SetstrExplicitMessage(text);
    EXPECT_EQ(ctrl.MsgResponse(kDs), kFailed);
    EXPECT_EQ(ctrl.MsgNoResponse(kDs), 1);
  }
  qint32 err = 0;
  EXPECT_EQ(ctrl.TxMesWResp(0, QStringLiteral("01 48 00"), err), kFailed);
  EXPECT_NE(ctrl.TxMessage(QStringLiteral("01 48 00")), 0);
  EXPECT_TRUE(fake::Calls().empty());

  // Three characters leave an empty body: sent as just its terminating zero.
  ctrl.SetstrExplicitMessage(QStringLiteral("00 "));
  ctrl.MsgResponse(kDs);
  ASSERT_NE(nth(fake::Calls(), 20), nullptr);
  EXPECT_EQ(nth(fake::Calls(), 20)->value, 1);
}

TEST_F(Control, MsgNoResponseReportsOnlyACompletionPointThatDoesNotOpen) {
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 08 02"));
  EXPECT_EQ(ctrl.MsgNoResponse(kDs), 0);
  auto calls = fake::Calls();
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 23, 18, 17, 18, 20}));
  EXPECT_EQ(kinds(calls), (std::vector<int>{1, 4}));
  EXPECT_FALSE(nth(calls, 17, 0)->callback);
  EXPECT_TRUE(nth(calls, 17, 1)->callback);
  EXPECT_EQ(nth(calls, 23)->value, 0);
  EXPECT_EQ(nth(calls, 20)->text, "01 08 02");
  EXPECT_EQ(nth(calls, 20)->point, nth(calls, 17, 0)->point);
  EXPECT_EQ(wait.waited(), 3000);

  fake::Reset();
  fake::QueueStatus(lca::kWritePoint, {lca::kLcaFailed});
  EXPECT_EQ(ctrl.MsgNoResponse(kDs), 0);

  fake::Reset();
  fake::QueueStatus(lca::kOpenPoint, {lca::kLcaOk, lca::kLcaFailed});
  EXPECT_EQ(ctrl.MsgNoResponse(kDs), 1);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 23, 18, 17}));

  // A request point that did not open is never written to.
  fake::Reset();
  fake::QueueStatus(lca::kOpenPoint, {lca::kLcaUnknownDevice});
  EXPECT_EQ(ctrl.MsgNoResponse(kDs), 0);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 17, 18}));
}

TEST_F(Control, TxMessageAndMsgRecieve) {
  ctrl.SetPtrDataServer(0x1234);
  fake::QueueStatus(lca::kWritePoint, {7});
  EXPECT_EQ(ctrl.TxMessage(QStringLiteral("hello")), 7);
  auto calls = fake::Calls();
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 23, 18, 20}));
  EXPECT_EQ(nth(calls, 17)->kind, lca::kCompletionPoint);
  EXPECT_EQ(nth(calls, 17)->code, 1);
  EXPECT_FALSE(nth(calls, 17)->callback);
  EXPECT_EQ(nth(calls, 23)->value, 2);
  EXPECT_EQ(nth(calls, 20)->text, "hello");
  EXPECT_EQ(nth(calls, 20)->value, 6);
  for (const fake::Call& c : calls)
    EXPECT_EQ(c.dataServer, 0x1234);
  EXPECT_TRUE(wait.waits().isEmpty());

  fake::Reset();
  fake::QueueStatus(lca::kOpenPoint, {lca::kLcaUnknownDevice});
  EXPECT_EQ(ctrl.TxMessage(QStringLiteral("hello")), lca::kLcaUnknownDevice);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17}));

  fake::Reset();
  EXPECT_EQ(ctrl.MsgRecieve(kDs), 0);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 18}));
  EXPECT_EQ(nth(fake::Calls(), 17)->kind, lca::kReceivePoint);
  EXPECT_EQ(nth(fake::Calls(), 17)->code, -1);
  EXPECT_TRUE(nth(fake::Calls(), 17)->callback);

  fake::Reset();
  fake::QueueStatus(lca::kOpenPoint, {lca::kLcaResetFirst, lca::kLcaFailed});
  EXPECT_EQ(ctrl.MsgRecieve(kDs), 0);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 2, 17}));
}

TEST_F(Control, OnlyAnAssignedPtrDataServerBecomesTheActiveHandle) {
  QVariantMap saved;
  {
    Ctrl source;
    EXPECT_FALSE(source.IsModified());
    source.SetPtrDataServer(0x1234);
    EXPECT_TRUE(source.IsModified());
    saved = source.SaveProperties();
    EXPECT_FALSE(source.IsModified());
  }
  EXPECT_EQ(saved, (QVariantMap{{"_Version", 0x10000u}, {"PtrDataServer", 0x1234}}));

  Ctrl loaded;
  loaded.SetCompletionWait(&wait);
  loaded.LoadProperties(saved);
  EXPECT_EQ(loaded.GetPtrDataServer(), 0x1234);
  EXPECT_FALSE(loaded.IsModified());
  EXPECT_NE(loaded.TxMessage(QStringLiteral("x")), 0);
  EXPECT_TRUE(fake::Calls().empty());

  loaded.SetPtrDataServer(9);
  loaded.LoadProperties(saved);  // loading again leaves the active handle at 9
  loaded.TxMessage(QStringLiteral("x"));
  EXPECT_EQ(nth(fake::Calls(), 17)->dataServer, 9);

  loaded.OnResetState();
  EXPECT_EQ(loaded.GetPtrDataServer(), 0);
  fake::Reset();
  loaded.TxMessage(QStringLiteral("x"));
  EXPECT_EQ(nth(fake::Calls(), 17)->dataServer, 9);

  // Missing or unusable stored values load the default.
  loaded.LoadProperties({{"PtrDataServer", "not a number"}});
  EXPECT_EQ(loaded.GetPtrDataServer(), 0);
  loaded.LoadProperties({{"PtrDataServer", qint64(1) << 40}});
  EXPECT_EQ(loaded.GetPtrDataServer(), 0);
}

TEST_F(Control, TextPropertiesMarkTheControlModifiedAndAreNotSaved) {
  Ctrl c;
  c.SetstrExplicitMessage(QStringLiteral("00 01 48 00"));
  EXPECT_TRUE(c.IsModified());
  c.SetModifiedFlag(false);
  c.setProperty("strNodeName", QStringLiteral("Dev"));
  EXPECT_TRUE(c.IsModified());
  EXPECT_EQ(c.GetstrNodeName(), "Dev");
  const QVariantMap bag = c.SaveProperties();
  EXPECT_EQ(bag.keys(), (QStringList{"PtrDataServer", "_Version"}));
}

TEST_F(Control, AMissingOrBrokenDataServerFailsEveryMethodCleanly) {
  testing_support::TestEnv env;
  const QString junk = env.scratch() + "/junk.so";
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a library");
  f.close();
  ctrl.SetPtrDataServer(kDs);
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 48 00"));
  for (const QByteArray& path : {QByteArray("/nonexistent/libLCADATSV.so"), junk.toLocal8Bit(),
                                 QByteArray(ZEV_ACTIVEX_MODULE) /* a library without the table */}) {
    SCOPED_TRACE(path.constData());
    qputenv(zev::kDataServerPathVariable, path);
    QString why;
    EXPECT_EQ(zev::LoadDataServer(&why), nullptr);
    EXPECT_FALSE(why.isEmpty());
    qint32 err = 0;
    EXPECT_EQ(ctrl.MsgResponse(kDs), kFailed);
    EXPECT_EQ(ctrl.TxMesWResp(0, QStringLiteral("01"), err), kFailed);
    EXPECT_EQ(ctrl.MsgNoResponse(kDs), 1);
    EXPECT_NE(ctrl.TxMessage(QStringLiteral("01")), 0);
    EXPECT_EQ(ctrl.MsgRecieve(kDs), 0);
  }
  // The library found again once it is there.
  qputenv(zev::kDataServerPathVariable, ZEV_FAKE_LCADATSV);
  fake::SetReply("back");
  EXPECT_EQ(ctrl.MsgResponse(kDs), "back");

  // A function missing from the table fails the step that needs it.
  fake::Reset();
  fake::RemoveOrdinal(lca::kSetPointAttribute);
  EXPECT_EQ(ctrl.MsgResponse(kDs), kFailed);
  EXPECT_EQ(fake::Ordinals(), (std::vector<int>{17, 18, 17, 18, 17}));
}

TEST_F(Control, ATableExportedThroughAFunctionWorksToo) {
  qputenv(zev::kDataServerPathVariable, ZEV_FAKE_LCADATSV_FN);
  fake::SetReply("via function");
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 48 00"));
  EXPECT_EQ(ctrl.MsgResponse(kDs), "via function");
  EXPECT_EQ(fake::Ordinals(), kResponseOrder);
}

TEST_F(Control, DispatchByIdentifier) {
  using D = Ctrl::DispId;
  QVariantList args{QStringLiteral("Node7")};
  ctrl.SetModifiedFlag(false);
  ctrl.Invoke(D::strNodeName, args);
  EXPECT_TRUE(ctrl.IsModified());
  QVariantList none;
  EXPECT_EQ(ctrl.Invoke(D::strNodeName, none), "Node7");
  args = {QStringLiteral("00 01 48 00")};
  ctrl.Invoke(D::strExplicitMessage, args);
  args = {0x55};
  ctrl.Invoke(D::PtrDataServer, args);
  EXPECT_EQ(ctrl.Invoke(D::PtrDataServer, none), 0x55);

  fake::SetReply("r1");
  args = {kDs};
  EXPECT_EQ(ctrl.Invoke(D::MsgResponse, args), "r1");
  EXPECT_EQ(nth(fake::Calls(), 17)->device, "Node7");

  fake::Reset();
  fake::SetReply("r2");
  args = {5, QStringLiteral("01 14 00"), 99};
  EXPECT_EQ(ctrl.Invoke(D::TxMesWResp, args), "r2");
  EXPECT_EQ(args[2].toInt(), 99);
  EXPECT_EQ(nth(fake::Calls(), 17)->dataServer, 0x55);

  QVariant result;
  args = {40000, QStringLiteral("x"), 0};  // MCode is 16-bit
  EXPECT_EQ(ctrl.Invoke(8, zev::DispKind::Method, args, &result), zev::kDISP_E_OVERFLOW);
  args = {};
  EXPECT_EQ(ctrl.Invoke(5, zev::DispKind::Method, args, &result), zev::kDISP_E_BADPARAMCOUNT);
  args = {QStringLiteral("abc")};
  EXPECT_EQ(ctrl.Invoke(5, zev::DispKind::Method, args, &result), zev::kDISP_E_TYPEMISMATCH);
  EXPECT_EQ(ctrl.Invoke(9, zev::DispKind::Method, args, &result), zev::kDISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(ctrl.Invoke(1, zev::DispKind::Method, args, &result), zev::kDISP_E_MEMBERNOTFOUND);

  fake::Reset();
  args = {kDs};
  EXPECT_EQ(ctrl.Invoke(D::MsgRecieve, args), 0);
  EXPECT_EQ(ctrl.Invoke(D::MsgNoResponse, args), 0);
  args = {QStringLiteral("t")};
  EXPECT_EQ(ctrl.Invoke(D::TxMessage, args), 0);

  args = {};
  EXPECT_EQ(ctrl.Invoke(-552, zev::DispKind::Method, args, &result), zev::kS_OK);
  EXPECT_EQ(testing_support::scriptedUi().modalsShown(), QStringList{"AboutZEV_ActiveX"});
}

TEST_F(Control, AboutBoxShowsTitleVersionNoticeAndOk) {
  QStringList texts;
  QString title;
  testing_support::scriptedUi().onModal([&](QDialog* d) {
    title = d->windowTitle();
    for (QLabel* l : d->findChildren<QLabel*>())
      texts << l->text();
    for (QPushButton* b : d->findChildren<QPushButton*>())
      texts << "button:" + b->text();
    return QDialog::Accepted;
  });
  ctrl.AboutBox();
  testing_support::scriptedUi().onModal(nullptr);
  EXPECT_EQ(title, "About ZEV_ActiveX Control");
  ASSERT_EQ(texts.size(), 3);
  EXPECT_EQ(texts[0], "ZEV_ActiveX Control, Version 1.10");
  EXPECT_FALSE(texts[1].isEmpty());
  EXPECT_EQ(texts[2], "button:OK");
}

TEST_F(Control, DrawsAnEllipseOnWhiteAndThePropertyPageHasNoEditors) {
  QImage image(40, 20, QImage::Format_RGB32);
  image.fill(Qt::red);
  {
    QPainter p(&image);
    ctrl.OnDraw(p, QRect(0, 0, 40, 20));
  }
  EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));    // corner, outside the ellipse
  EXPECT_EQ(image.pixelColor(20, 10), QColor(Qt::white));  // centre
  EXPECT_EQ(image.pixelColor(0, 10), QColor(Qt::black));   // the ellipse touches the left edge
  EXPECT_EQ(image.pixelColor(20, 0), QColor(Qt::black));   // and the top

  CZEV_ActiveXPropPage page;
  EXPECT_EQ(page.windowTitle(), "General");
  EXPECT_TRUE(page.findChildren<QWidget*>().isEmpty());
}

TEST(DecimalPrefix, ReadsTheLeadingNumberTheStandardWay) {
  EXPECT_EQ(zev::DecimalPrefix("00 01 61 02 01"), 0);
  EXPECT_EQ(zev::DecimalPrefix("  12abc"), 12);
  EXPECT_EQ(zev::DecimalPrefix("\t-7 1"), -7);
  EXPECT_EQ(zev::DecimalPrefix("+3"), 3);
  EXPECT_EQ(zev::DecimalPrefix("x12"), 0);
  EXPECT_EQ(zev::DecimalPrefix("- 5"), 0);
  EXPECT_EQ(zev::DecimalPrefix(""), 0);
  EXPECT_EQ(zev::DecimalPrefix("99999999999"), 2147483647);
  EXPECT_EQ(zev::DecimalPrefix("-99999999999"), -2147483647 - 1);
}

}  // namespace
