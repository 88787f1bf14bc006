#pragma once
// Finding out, before the QApplication exists, whether the display the
// environment names can be opened, so that a program never aborts for want of
// one ("could not connect to display") and knows afterwards whether anybody
// can see its windows.
//
//   platform::DisplayStart display = platform::DisplayStart::prepare();
//   QApplication app(argc, argv);
//   const platform::DisplayKind kind = display.settle();

#include <QByteArray>
#include <QString>

namespace platform {

enum class DisplayKind {
  Screen,     // a desktop an operator sees
  Offscreen,  // drawn offscreen because QT_QPA_PLATFORM asked for it (tests, screenshots)
  None,       // no display, or one that cannot be opened: drawn offscreen, nobody sees it
};

// What decides the choice, read from the environment.
struct DisplayEnvironment {
  QString display;         // DISPLAY
  QString waylandDisplay;  // WAYLAND_DISPLAY
  QString qpaPlatform;     // QT_QPA_PLATFORM
  QString sessionType;     // XDG_SESSION_TYPE
  QString runtimeDir;      // XDG_RUNTIME_DIR
  static DisplayEnvironment current();
};

struct DisplayPlan {
  // The value QT_QPA_PLATFORM gets for the application: the platforms that
  // can be reached, in Qt's own order of preference, then "offscreen".
  // Equal to the environment's value when that chose one.
  QString platforms;
  bool chosen = false;  // QT_QPA_PLATFORM named the platform
  // Why the display the environment names cannot be used; "" when it can or
  // when none is named.
  QString problem;
};

DisplayPlan PlanDisplay(const DisplayEnvironment& env);

// Whether an X server accepts connections at DISPLAY ("[host]:number[.screen]";
// no host or "unix" is the local socket, any other host TCP port 6000 +
// number). Only the connection is tried: a server that then refuses the
// client is left for Qt to find out (the plan's "offscreen" catches it).
// `why` gets the reason when it does not.
bool XDisplayReachable(const QString& display, QString* why = nullptr);
// Whether a Wayland compositor listens at WAYLAND_DISPLAY (a socket name in
// XDG_RUNTIME_DIR, or an absolute path).
bool WaylandReachable(const QString& waylandDisplay, const QString& runtimeDir, QString* why = nullptr);

// The platform Qt gave the application, as a kind of display.
DisplayKind KindOfPlatform(const QString& platformName, bool chosen);

class DisplayStart {
 public:
  // Plans from the environment and sets QT_QPA_PLATFORM for the application
  // to come. A display that is named but cannot be opened is reported on
  // standard error, once.
  static DisplayStart prepare();
  // Once the QApplication exists: puts QT_QPA_PLATFORM back as it was (the
  // programs this one starts get the caller's environment) and answers what
  // the application got.
  DisplayKind settle();
  const DisplayPlan& plan() const { return plan_; }

 private:
  DisplayPlan plan_;
  bool hadVariable_ = false;
  QByteArray previous_;
};

}  // namespace platform
