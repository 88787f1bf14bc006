#include "display.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/log_categories.h"

namespace platform {

namespace {

constexpr int kTcpWaitMs = 2000;  // a remote X server that takes longer is as good as absent

class Socket {
 public:
  explicit Socket(int domain) : fd_(::socket(domain, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {}
  ~Socket() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Connects to a Unix socket; `abstract` puts the name into Linux's abstract namespace.
bool connectUnix(const QByteArray& path, bool abstract, QString* why) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const qsizetype offset = abstract ? 1 : 0;
  if (path.size() + offset >= qsizetype(sizeof address.sun_path)) {
    *why = QStringLiteral("the socket name is too long");
    return false;
  }
  std::memcpy(address.sun_path + offset, path.constData(), path.size());
  const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
  Socket s(AF_UNIX);
  if (s.fd() < 0) {
    *why = errorText(errno);
    return false;
  }
  if (::connect(s.fd(), reinterpret_cast<const sockaddr*>(&address), length) == 0 || errno == EAGAIN ||
      errno == EINPROGRESS)
    return true;  // a server whose queue is full is still there
  *why = errorText(errno);
  return false;
}

bool connectTcp(const QString& host, int port, QString* why) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int lookup =
      ::getaddrinfo(host.toLocal8Bit().constData(), QByteArray::number(port).constData(), &hints, &found);
  if (lookup != 0) {
    *why = QStringLiteral("the host %1 is unknown: %2").arg(host, QString::fromLocal8Bit(gai_strerror(lookup)));
    return false;
  }
  bool reached = false;
  for (addrinfo* a = found; a && !reached; a = a->ai_next) {
    Socket s(a->ai_family);
    if (s.fd() < 0)
      continue;
    if (::connect(s.fd(), a->ai_addr, a->ai_addrlen) == 0) {
      reached = true;
    } else if (errno == EINPROGRESS) {
      pollfd p{s.fd(), POLLOUT, 0};
      int error = 0;
      socklen_t size = sizeof error;
      if (::poll(&p, 1, kTcpWaitMs) == 1 && ::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &error, &size) == 0 &&
          error == 0)
        reached = true;
      else
        *why = error ? errorText(error) : QStringLiteral("no answer within %1 ms").arg(kTcpWaitMs);
    } else {
      *why = errorText(errno);
    }
  }
  ::freeaddrinfo(found);
  return reached;
}

bool isNumber(const QString& text) {
  if (text.isEmpty() || text.size() > 5)
    return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9')
      return false;
  return true;
}

}  // namespace

DisplayEnvironment DisplayEnvironment::current() {
  return {qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
          qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("XDG_SESSION_TYPE"),
          qEnvironmentVariable("XDG_RUNTIME_DIR")};
}

bool XDisplayReachable(const QString& display, QString* why) {
  QString ignored;
  QString& reason = why ? *why : ignored;
  const qsizetype colon = display.lastIndexOf(u':');
  if (colon < 0) {
    reason = QStringLiteral("\"%1\" is no display name").arg(display);
    return false;
  }
  QString host = display.left(colon);
  if (host.endsWith(u':') || host.startsWith(u'/'))
    return true;  // DECnet or a socket path: forms only the X library itself knows; it decides
  const qsizetype slash = host.indexOf(u'/');
  const QString protocol = slash < 0 ? QString() : host.left(slash);
  host = host.mid(slash + 1);
  QString number = display.mid(colon + 1);
  number = number.left(number.indexOf(u'.') < 0 ? number.size() : number.indexOf(u'.'));
  if (!isNumber(number)) {
    reason = QStringLiteral("\"%1\" is no display name").arg(display);
    return false;
  }
  if (protocol != QLatin1String("tcp") && (host.isEmpty() || host == QLatin1String("unix"))) {
    const QByteArray path = "/tmp/.X11-unix/X" + number.toLatin1();
    // The X library tries the abstract name first, then the file.
    if (connectUnix(path, true, &reason) || connectUnix(path, false, &reason))
      return true;
    reason = QStringLiteral("no X server listens at %1: %2").arg(QString::fromLatin1(path), reason);
    return false;
  }
  if (connectTcp(host, 6000 + number.toInt(), &reason))
    return true;
  reason = QStringLiteral("no X server answers at %1, port %2: %3").arg(host).arg(6000 + number.toInt()).arg(reason);
  return false;
}

bool WaylandReachable(const QString& waylandDisplay, const QString& runtimeDir, QString* why) {
  QString ignored;
  QString& reason = why ? *why : ignored;
  QString path = waylandDisplay;
  if (!path.startsWith(u'/')) {
    if (runtimeDir.isEmpty()) {
      reason = QStringLiteral("XDG_RUNTIME_DIR is not set");
      return false;
    }
    path = runtimeDir + u'/' + path;
  }
  if (connectUnix(QFile::encodeName(path), false, &reason))
    return true;
  reason = QStringLiteral("no compositor listens at %1: %2").arg(path, reason);
  return false;
}

DisplayPlan PlanDisplay(const DisplayEnvironment& env) {
  DisplayPlan plan;
  if (!env.qpaPlatform.isEmpty()) {
    plan.platforms = env.qpaPlatform;
    plan.chosen = true;
    return plan;
  }
  QStringList problems;
  QString xWhy, waylandWhy;
  const bool x = !env.display.isEmpty() && XDisplayReachable(env.display, &xWhy);
  if (!env.display.isEmpty() && !x)
    problems << QStringLiteral("the display %1 cannot be opened (%2)").arg(env.display, xWhy);
  const bool wayland =
      !env.waylandDisplay.isEmpty() && WaylandReachable(env.waylandDisplay, env.runtimeDir, &waylandWhy);
  if (!env.waylandDisplay.isEmpty() && !wayland)
    problems << QStringLiteral("the Wayland display %1 cannot be opened (%2)").arg(env.waylandDisplay, waylandWhy);
  // Qt's own preference: Wayland first in a Wayland session, X otherwise.
  const bool waylandFirst = env.sessionType == QLatin1String("wayland");
  QStringList platforms;
  if (wayland && waylandFirst)
    platforms << QStringLiteral("wayland");
  if (x)
    platforms << QStringLiteral("xcb");
  if (wayland && !waylandFirst)
    platforms << QStringLiteral("wayland");
  platforms << QStringLiteral("offscreen");
  plan.platforms = platforms.join(u';');
  if (!x && !wayland)
    plan.problem = problems.join(QStringLiteral("; "));
  return plan;
}

DisplayKind KindOfPlatform(const QString& platformName, bool chosen) {
  const bool drawnOffscreen = platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal");
  if (!drawnOffscreen)
    return DisplayKind::Screen;
  return chosen ? DisplayKind::Offscreen : DisplayKind::None;
}

DisplayStart DisplayStart::prepare() {
  DisplayStart start;
  start.plan_ = PlanDisplay(DisplayEnvironment::current());
  start.hadVariable_ = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
  start.previous_ = qgetenv("QT_QPA_PLATFORM");
  if (!start.plan_.chosen)
    qputenv("QT_QPA_PLATFORM", start.plan_.platforms.toUtf8());
  if (!start.plan_.problem.isEmpty()) {
    // The application does not exist yet, nor does its name.
    const QString program = QString::fromLocal8Bit(program_invocation_short_name);
    std::fprintf(stderr, "%s: %s; going on without a display\n", qPrintable(program), qPrintable(start.plan_.problem));
  }
  return start;
}

DisplayKind DisplayStart::settle() {
  if (hadVariable_)
    qputenv("QT_QPA_PLATFORM", previous_);
  else
    qunsetenv("QT_QPA_PLATFORM");
  const DisplayKind kind = KindOfPlatform(QGuiApplication::platformName(), plan_.chosen);
  qCDebug(lcDisplay).noquote() << QStringLiteral("asked for %1%2 and got %3: %4")
                                      .arg(plan_.platforms,
                                           plan_.chosen ? QStringLiteral(" (QT_QPA_PLATFORM)") : QString(),
                                           QGuiApplication::platformName(),
                                           kind == DisplayKind::Screen      ? QStringLiteral("a screen")
                                           : kind == DisplayKind::Offscreen ? QStringLiteral("drawn offscreen as asked")
                                                                            : QStringLiteral("no display"));
  return kind;
}

}  // namespace platform
