#include "window_support/device_link.h"

#include <gtest/gtest.h>

#include "explicit_control/testing/fake_lcadatsv.h"
#include "explicit_control/zev_activex_ctrl.h"
#include "host/mmain.h"
#include "tests/support/fake_lns.h"
#include "tests/support/qt_printers.h"

namespace {

TEST(DeviceLink, NodeNameHasABlankBeforeNonNegativeHandles) {
  using window_support::DeviceLink;
  EXPECT_EQ(DeviceLink::NodeName(17), "# 17");
  EXPECT_EQ(DeviceLink::NodeName(0), "# 0");
  EXPECT_EQ(DeviceLink::NodeName(-5), "#-5");
}

TEST(DeviceLink, SendsThroughTheControlWithTheSystemsDataServerHandle) {
  qputenv("RLX_LCADATSV", ZEV_FAKE_LCADATSV);
  fake_lcadatsv::Reset();
  fake_lcadatsv::SetReply("1\t48\t0\t82\t76\t88");
  fake_lcadatsv::SetCompletion(fake_lcadatsv::Completion::DuringWrite);
  MMain.CurrentSystem.reset();
  CZEV_ActiveXCtrl control;
  window_support::DeviceLink link(&control);
  EXPECT_EQ(link.DataServerHandle(), 0);

  const QString reply = link.Send("00 01 48 00");
  EXPECT_EQ(reply, "1\t48\t0\t82\t76\t88");
  EXPECT_EQ(control.GetstrExplicitMessage(), "00 01 48 00");
  bool wrote = false;
  for (const auto& c : fake_lcadatsv::Calls())
    if (c.ordinal == lca::kWritePoint) {
      EXPECT_EQ(c.text, "01 48 00");
      EXPECT_EQ(c.dataServer, 0);
      wrote = true;
    }
  EXPECT_TRUE(wrote);
  fake_lcadatsv::Reset();
  qunsetenv("RLX_LCADATSV");
}

}  // namespace
