// The main windows' life as a director sees it: "Configure" through the
// automation object opens them, Visible shows them, and releasing the last
// object while the window is hidden ends the plug-in.
#include <gtest/gtest.h>

#include <QPointer>

#include "host/lnspluginapi.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

class MainWindowLife : public WindowTest {};

TEST_F(MainWindowLife, ReleasingTheLastDirectorWithTheWindowHiddenEndsThePlugIn) {
  for (bool explicitFamily : {false, true}) {
    SCOPED_TRACE(explicitFamily ? "explicit" : "LonMark");
    auto api = std::make_unique<LNSPlugInAPI>();
    api->setNetworkName(QString::fromLatin1(SimNetwork::kNetworkName));
    main();
    explicitWindow();
    if (explicitFamily)
      api->SendCommand(13, 7, QStringLiteral("Routers/RLX-Explicit"));
    else
      api->SendCommand(13, 28, QStringLiteral("Routers/RLX-LonMark/") + MMain.InternalModemObjectName);
    QPointer<QWidget> window = MMain.CurrentMainWindow->widget();
    EXPECT_EQ(window->objectName(), explicitFamily ? "fMainExplicit" : "fMain");
    api->setVisible(true);
    EXPECT_TRUE(api->Visible());
    api->setVisible(false);
    EXPECT_TRUE(EndsTheProgram([&api] { api->Release(); }));
    EXPECT_EQ(MMain.DirectorCount, 0);
    EXPECT_FALSE(MMain.CurrentSystem);
    EXPECT_FALSE(net->server().IsOpen());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
  }
}

TEST_F(MainWindowLife, AVisibleWindowOutlivesTheLastDirector) {
  auto api = std::make_unique<LNSPlugInAPI>();
  explicitWindow();
  api->SendCommand(13, 7, QStringLiteral("Routers/RLX-Explicit"));
  api->setVisible(true);
  api->Release();
  fMainExplicit* w = explicitWindow();
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(net->server().IsOpen());
  EXPECT_TRUE(w->Timer2->isActive());
  w->hide();
}

TEST_F(MainWindowLife, AWindowLeftHiddenForAnotherDirectorKeepsRunning) {
  auto first = std::make_unique<LNSPlugInAPI>();
  auto second = std::make_unique<LNSPlugInAPI>();
  explicitWindow();
  first->SendCommand(13, 7, QStringLiteral("Routers/RLX-Explicit"));
  first->setVisible(true);
  first->Release();
  EXPECT_EQ(MMain.DirectorCount, 1);
  // The window hides; the other director still holds the plug-in.
  explicitWindow()->EndPlugIn();
  EXPECT_FALSE(explicitWindow()->isVisible());
  EXPECT_TRUE(net->server().IsOpen());
  EXPECT_EQ(ExistingWindow(WindowId::fMainExplicit), explicitWindow());
}

}  // namespace
