// The RLX simulator's request parser and the device behind it. Each line of
// the input is a request text; between two requests the device's clock moves
// by the line's length in seconds. Whatever arrives, the device answers
// (unknown and malformed requests with the single value 255, changing
// nothing), every known command's reply starts with the request's first
// three values, and the state survives its stored form.

#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_check.h"
#include "lonworks/rlx_device/request_text.h"
#include "lonworks/rlx_device/rlx_model.h"

using namespace rlxsim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString input = fuzzLatin1(data, size);
  DeviceState state = defaultState(size % 2 ? Family::LonMark : Family::Explicit);
  state.call.connectDelayMs = 1500;
  RingView ring;
  ring.members = {{1, QStringLiteral("050100000002"), 7}, {2, QStringLiteral("0A0B0C0D0E0F"), 0}};
  ring.closed = size % 3 != 0;
  ring.endA = 1;
  ring.endB = 2;
  const DeviceContext device{7, QStringLiteral("050100000002"), [&] { return ring; }};
  qint64 now = 1'700'000'000'000;

  for (const QString& line : input.split(u'\n')) {
    now += 1000 * line.size();
    const auto request = parseRequest(line);
    if (!request)
      continue;
    FUZZ_CHECK(parseRequest(requestText(*request))->body == request->body);
    advance(state, now);
    const DeviceState before = state;
    const ExplicitAnswer answer = handleExplicit(state, device, request->body, now);
    if (answer.silent) {
      FUZZ_CHECK(!answers(before, now));
      FUZZ_CHECK(state == before);
      continue;
    }
    FUZZ_CHECK(!answer.reply.empty());
    if (answer.reply == Bytes{kUnknownCommandReply}) {
      FUZZ_CHECK(state == before);
    } else {
      FUZZ_CHECK(answer.reply.size() >= 3);
      FUZZ_CHECK(std::equal(answer.reply.begin(), answer.reply.begin() + 3, request->body.begin()));
    }
    const auto stored = fromJson(toJson(state));
    FUZZ_CHECK(stored && *stored == state);
    for (const auto& [name, value] : outputVariables(state))
      for (QChar c : value)
        FUZZ_CHECK(c.unicode() >= 0x20);  // output variables stay plain text
  }
  return 0;
}
