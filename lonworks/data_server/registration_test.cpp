// A data server library with a device endpoint linked in and registered from
// a static object, loaded the way the control loads it: the registered devices
// answer without anyone installing them.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "explicit_control/lcadatsv_abi.h"
#include "lonworks/data_server/testing/callback_recorder.h"

using lcadatsv_testing::CallbackRecorder;

TEST(EndpointRegistration, ALinkedInEndpointServesTheLibrarysPoints) {
  void* library = dlopen(LCADATSV_REGISTERED, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const auto* table = static_cast<const LcaOrdinalTable*>(dlsym(library, lca::kOrdinalTableSymbol));
  ASSERT_NE(table, nullptr);
  const auto open = reinterpret_cast<LcaOpenPoint>(table->functions[lca::kOpenPoint]);
  const auto activate = reinterpret_cast<LcaActivatePoint>(table->functions[lca::kActivatePoint]);
  const auto setAttribute = reinterpret_cast<LcaSetPointAttribute>(table->functions[lca::kSetPointAttribute]);
  const auto write = reinterpret_cast<LcaWritePoint>(table->functions[lca::kWritePoint]);
  const auto read = reinterpret_cast<LcaReadPoint>(table->functions[lca::kReadPoint]);

  std::int32_t point = 0;
  EXPECT_EQ(open(1, lca::kResponsePoint, "# 18", 0, 0, &point, nullptr, 0), lca::kLcaUnknownDevice);
  EXPECT_EQ(open(2, lca::kResponsePoint, "# 17", 0, 0, &point, nullptr, 0), lca::kLcaBadHandle);

  std::int32_t response = 0, completion = 0, request = 0;
  const std::int32_t service = lca::kServiceWithResponse;
  ASSERT_EQ(open(1, lca::kResponsePoint, "# 17", 0, 0, &response, nullptr, 0), lca::kLcaOk);
  ASSERT_EQ(open(1, lca::kCompletionPoint, "# 17", 0, 0, &completion, &CallbackRecorder::Record, 0), lca::kLcaOk);
  ASSERT_EQ(open(1, lca::kRequestPoint, "# 17", 0, 0, &request, nullptr, 0), lca::kLcaOk);
  for (std::int32_t p : {response, completion, request})
    ASSERT_EQ(activate(1, p, 1), lca::kLcaOk);
  ASSERT_EQ(setAttribute(1, request, lca::kMessageAttribute, &service), lca::kLcaOk);
  ASSERT_EQ(write(1, request, 4, "1 2"), lca::kLcaOk);
  ASSERT_TRUE(CallbackRecorder::instance().waitFor(completion, 1));
  char buffer[100];
  std::int32_t count = sizeof buffer;
  ASSERT_EQ(read(1, response, &count, buffer, 0), lca::kLcaOk);
  EXPECT_STREQ(buffer, "0\t1\t2");
  // The library stays loaded, as the control leaves it: its thread may still run.
}
