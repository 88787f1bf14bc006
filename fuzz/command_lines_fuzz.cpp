// The command lines of lns-director and rlx-msg, one argument per input line:
// each is taken or refused with a reason, never both, and what is taken is
// complete (a message rlx-msg would send is one its control can send as
// written).

#include "fuzz/fuzz_check.h"
#include "lonworks/director/director_cli.h"
#include "lonworks/tools/rlx_msg/rlx_msg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QStringList args = fuzzFields(data, size);

  const director::ParseResult plan = director::ParseCommandLine(args);
  if (!plan.error.isEmpty())
    FUZZ_CHECK(!plan.help && !plan.version);

  QString error;
  const std::optional<rlxmsg::Options> options = rlxmsg::parseArguments(args, &error);
  FUZZ_CHECK(options.has_value() != !error.isEmpty());
  if (options && options->action == rlxmsg::Options::Action::Send) {
    FUZZ_CHECK(rlxmsg::messageProblem(options->message).isEmpty());
    FUZZ_CHECK(!options->device.isEmpty());
    FUZZ_CHECK(options->count >= 1);
  }
  return 0;
}
