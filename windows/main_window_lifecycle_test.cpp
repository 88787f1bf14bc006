// The main windows' life as a director sees it: "Configure" through the
// automation object opens them, Visible shows them, and releasing the last
// object while the window is hidden ends the plug-in.
#include <gtest/gtest.h>

#include <QPointer>

#include <QTest>

#include "host/lnspluginapi.h"
#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_editor.h"
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

TEST_F(MainWindowLife, AnEditorWithTypingOutlivesOtherDirectorsAndAsksBeforeTheEnd) {
  phonebook::RegisterPhoneBookWindow();
  const lns::AppDevicePtr router = net->lonMarkDevice();
  auto first = std::make_unique<LNSPlugInAPI>();
  first->setNetworkName(QString::fromLatin1(SimNetwork::kNetworkName));
  first->SendCommand(13, 28, QStringLiteral("Routers/RLX-LonMark/Directory #2"));
  first->setVisible(true);
  auto* editor = dynamic_cast<phonebook::fPhoneBook*>(ExistingWindow(WindowId::fPhoneBook));
  ASSERT_TRUE(editor && editor->isVisible());
  QTest::keyClicks(editor->TextPhonebook, "555");
  first->Release();

  // A second director opens the router's main window, never shows it, and lets go.
  auto second = std::make_unique<LNSPlugInAPI>();
  second->SendCommand(13, 7, QStringLiteral("Routers/RLX-LonMark"));
  second->Release();
  EXPECT_EQ(ExistingWindow(WindowId::fPhoneBook), editor);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_TRUE(MMain.CurrentSystem);
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());

  // The operator ends the plug-in from the main window: the editor asks first.
  main()->show();
  scriptedUi().answer(platform::IdYes);
  main()->MenuExit->trigger();
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Save Changes to phonebook?"});
  EXPECT_FALSE(MMain.CurrentSystem);
  net->server().Open();
  EXPECT_EQ(net->state(router).phonebook[16], "555");
}

}  // namespace
