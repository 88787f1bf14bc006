#include "platform/display.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <cstring>
#include <utility>

using platform::DisplayEnvironment;
using platform::DisplayKind;
using platform::PlanDisplay;

namespace {

// A listening socket standing in for a display server; closed with the object.
class Listener {
 public:
  // An X server's local socket for display `number`, in the abstract namespace
  // (so no file of /tmp/.X11-unix is touched).
  static Listener x11(int number) {
    const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
    return Listener(AF_UNIX, path, true);
  }
  static Listener unixFile(const QString& path) { return Listener(AF_UNIX, path.toLocal8Bit(), false); }
  // TCP on the loopback, on a port the system picks.
  static Listener tcp() { return Listener(AF_INET, QByteArray(), false); }

  Listener(Listener&& other) noexcept : fd_(other.fd_), port_(other.port_) { other.fd_ = -1; }
  Listener& operator=(Listener&& other) noexcept {
    std::swap(fd_, other.fd_);
    std::swap(port_, other.port_);
    return *this;
  }
  ~Listener() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  int port() const { return port_; }

 private:
  Listener(int domain, const QByteArray& path, bool abstract) : fd_(::socket(domain, SOCK_STREAM, 0)) {
    int rc = -1;
    if (domain == AF_UNIX) {
      sockaddr_un a{};
      a.sun_family = AF_UNIX;
      std::memcpy(a.sun_path + (abstract ? 1 : 0), path.constData(), path.size());
      const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + path.size() + 1);
      rc = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), length);
    } else {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      rc = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
      socklen_t size = sizeof a;
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size);
      port_ = ntohs(a.sin_port);
    }
    if (rc != 0 || ::listen(fd_, 4) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  int fd_;
  int port_ = 0;
};

// A display number nobody serves. The live one is served by a listener of
// the test, on the first free number from 7392: tests run side by side, and
// two of them cannot hold the same abstract socket.
constexpr int kDeadDisplay = 7391;
struct LiveDisplay {
  LiveDisplay() : listener(Listener::x11(number)) {
    while (!listener.ok() && number < 7392 + 200)
      listener = Listener::x11(++number);
  }
  int number = 7392;
  Listener listener;
};

TEST(Display, AnXServerIsReachedAtItsSocketOrPort) {
  const LiveDisplay x;
  const int kLiveDisplay = x.number;
  const Listener tcp = Listener::tcp();
  ASSERT_TRUE(x.listener.ok());
  ASSERT_TRUE(tcp.ok());
  ASSERT_GT(tcp.port(), 6000);
  const QString live = QStringLiteral(":%1").arg(kLiveDisplay);
  const QString dead = QStringLiteral(":%1").arg(kDeadDisplay);
  struct Case {
    QString display;
    bool reachable;
    QString why;  // part of the reason given when it is not
  };
  const QList<Case> cases = {
      {live, true, ""},
      {live + ".0", true, ""},
      {"unix" + live, true, ""},
      {QStringLiteral("127.0.0.1:%1").arg(tcp.port() - 6000), true, ""},
      {dead, false, QStringLiteral("no X server listens at /tmp/.X11-unix/X%1").arg(kDeadDisplay)},
      {QStringLiteral("tcp/127.0.0.1%1").arg(live), false, QStringLiteral("port %1").arg(6000 + kLiveDisplay)},
      {"no-display", false, "is no display name"},
      {":x", false, "is no display name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.display.toStdString());
    QString why;
    EXPECT_EQ(platform::XDisplayReachable(c.display, &why), c.reachable);
    EXPECT_TRUE(why.contains(c.why)) << why.toStdString();
  }
}

TEST(Display, TheQtPlatformListEndsOffscreenAndAnExplicitChoiceIsKept) {
  QTemporaryDir runtime;
  const LiveDisplay x;
  const int kLiveDisplay = x.number;
  const Listener wayland = Listener::unixFile(runtime.path() + "/wayland-7");
  ASSERT_TRUE(x.listener.ok());
  ASSERT_TRUE(wayland.ok());
  const QString live = QStringLiteral(":%1").arg(kLiveDisplay);
  const QString dead = QStringLiteral(":%1").arg(kDeadDisplay);
  const QString rt = runtime.path();
  struct Case {
    DisplayEnvironment env;  // display, wayland, QT_QPA_PLATFORM, session type, runtime folder
    QString platforms;
    bool chosen;
    QString problem;  // part of it; "" for none
  };
  const QList<Case> cases = {
      {{"", "", "", "", rt}, "offscreen", false, ""},
      {{live, "", "", "", rt}, "xcb;offscreen", false, ""},
      {{dead, "", "", "", rt}, "offscreen", false, "the display " + dead + " cannot be opened"},
      {{dead, "", "offscreen", "", rt}, "offscreen", true, ""},
      {{dead, "", "xcb", "", rt}, "xcb", true, ""},
      {{live, "wayland-7", "", "", rt}, "xcb;wayland;offscreen", false, ""},
      {{live, "wayland-7", "", "wayland", rt}, "wayland;xcb;offscreen", false, ""},
      {{dead, "wayland-7", "", "", rt}, "wayland;offscreen", false, ""},
      {{"", "wayland-7", "", "", ""}, "offscreen", false, "XDG_RUNTIME_DIR is not set"},
      {{"", rt + "/wayland-7", "", "", ""}, "wayland;offscreen", false, ""},
      {{dead, "wayland-0", "", "", rt}, "offscreen", false, "the Wayland display wayland-0 cannot be opened"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.env.display + "|" + c.env.waylandDisplay + "|" + c.env.qpaPlatform).toStdString());
    const platform::DisplayPlan plan = PlanDisplay(c.env);
    EXPECT_EQ(plan.platforms, c.platforms);
    EXPECT_EQ(plan.chosen, c.chosen);
    EXPECT_EQ(plan.problem.isEmpty(), c.problem.isEmpty()) << plan.problem.toStdString();
    EXPECT_TRUE(plan.problem.contains(c.problem)) << plan.problem.toStdString();
  }
}

TEST(Display, OnlyAnOffscreenPlatformNobodyAskedForMeansNoDisplay) {
  EXPECT_EQ(platform::KindOfPlatform("xcb", false), DisplayKind::Screen);
  EXPECT_EQ(platform::KindOfPlatform("wayland", true), DisplayKind::Screen);
  EXPECT_EQ(platform::KindOfPlatform("offscreen", true), DisplayKind::Offscreen);
  EXPECT_EQ(platform::KindOfPlatform("minimal", true), DisplayKind::Offscreen);
  EXPECT_EQ(platform::KindOfPlatform("offscreen", false), DisplayKind::None);
}

}  // namespace
