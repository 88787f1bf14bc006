// Reply parsing: the status poll's reply every two seconds per window, and a
// whole phonebook download (64 read replies) at start-up or on a resync.

#include <benchmark/benchmark.h>

#include <QStringList>

#include "device_protocol/reply_text.h"

using namespace device_protocol;

namespace {

QString replyOf(const QList<int>& values) {
  QStringList parts;
  for (int v : values)
    parts << QString::number(v);
  return parts.join(u'\t');
}

// A read reply of entry i: five leading values, the number's codes, a 0.
QString phonebookReadReply(int entry) {
  QList<int> values{1, 66, 0, 2, entry};
  const QString number = QStringLiteral("9,1-555-%1").arg(1000 + entry);
  for (QChar c : number)
    values << c.unicode();
  values << 0;
  return replyOf(values);
}

QList<QString> phonebookDownload() {
  QList<QString> replies;
  for (int i = 0; i < 64; ++i)
    replies << phonebookReadReply(i);
  return replies;
}

const QString kStatusReply = replyOf({1, 53, 0, 9, 0});
const QString kStatisticsReply = replyOf({1, 61, 0, 2, 4, 5, 0, 0, 0, 0, 0, 0, 0, 17, 3});

void BM_SplitStatusReply(benchmark::State& state) {
  for (auto _ : state) {
    ReplyValues v = SplitReplyText(kStatusReply);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_SplitStatusReply);

void BM_SplitStatisticsReply(benchmark::State& state) {
  for (auto _ : state) {
    ReplyValues v = SplitReplyText(kStatisticsReply);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_SplitStatisticsReply);

void BM_DecodePhonebookDownload(benchmark::State& state) {
  const QList<QString> replies = phonebookDownload();
  for (auto _ : state) {
    for (const QString& r : replies) {
      QString number = PhonebookNumberFromReply(r);
      benchmark::DoNotOptimize(number);
    }
  }
  state.SetItemsProcessed(state.iterations() * replies.size());
}
BENCHMARK(BM_DecodePhonebookDownload);

void BM_SplitPhonebookDownload(benchmark::State& state) {
  const QList<QString> replies = phonebookDownload();
  for (auto _ : state) {
    for (const QString& r : replies) {
      ReplyValues v = SplitReplyText(r);
      benchmark::DoNotOptimize(v);
    }
  }
  state.SetItemsProcessed(state.iterations() * replies.size());
}
BENCHMARK(BM_SplitPhonebookDownload);

void BM_DecodeFirmwareReply(benchmark::State& state) {
  const QString reply = replyOf({1, 48, 0, 82, 76, 88, 32, 51, 46, 50, 48, 0});
  for (auto _ : state) {
    QString text = DecodeReplyText(reply);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_DecodeFirmwareReply);

}  // namespace

BENCHMARK_MAIN();
