#include "lnspluginapi.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

#include "host/attach.h"
#include "host/automation_error.h"
#include "host/mmain.h"
#include "host/plugin_window.h"
#include "host/registration.h"
#include "platform/ui_services.h"

using namespace automation_errors;

namespace {

std::function<void()>& registerCommandsHook() {
  static std::function<void()> hook;
  return hook;
}

// The window the properties act on: fMain until a command chooses another.
PlugInWindow* CurrentWindow() { return MMain.CurrentMainWindow ? MMain.CurrentMainWindow : Window(WindowId::fMain); }

bool FixedBorder(BorderStyle style) {
  return style == BorderStyle::FixedSingle || style == BorderStyle::FixedDialog ||
         style == BorderStyle::FixedToolWindow;
}

bool MinimizedOrMaximized(const QWidget* w) {
  return (w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) != 0;
}

const QScreen* ScreenOf(const QWidget* w) {
  const QScreen* screen = w ? w->screen() : nullptr;
  return screen ? screen : QGuiApplication::primaryScreen();
}

// No window grows past the desktop, as the desktop's own window manager
// enforces: a director cannot make the plug-in allocate an absurd surface.
QSize LargestWindow(const QWidget* w) {
  const QScreen* screen = ScreenOf(w);
  const QSize desktop = screen ? screen->virtualSize() : QSize();
  return desktop.isValid() && !desktop.isEmpty() ? desktop.expandedTo(QSize(640, 480)) : QSize(4096, 4096);
}

// Positions stay within what a window can hold.
qint32 ClampPosition(qint32 v) { return std::clamp(v, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX); }

// A window value (in twips) as pixels, and a pixel value as the window's twips.
qint32 FramePixels(qint32 framePixels, double twipsPerPixel) {
  return PixelsFromTwips(TwipsFromPixels(framePixels, twipsPerPixel), twipsPerPixel);
}

lns::ObjectServer& Server() {
  if (!MMain.ObjectServer)
    throw AutomationError(lns::kErrNotOpen, QStringLiteral("The Object Server is not available"),
                          QStringLiteral("LcaObjectServer"));
  return *MMain.ObjectServer;
}

class PointerReset {
 public:
  ~PointerReset() { platform::ui().setPointer(platform::Pointer::Default); }
};

enum class Extent { Height, Width };
enum class Position { Left, Top };

void SetExtent(Extent which, qint32 pixels) {
  PlugInWindow* window = CurrentWindow();
  if (!window)
    return;
  if (FixedBorder(window->borderStyle()))
    throw AutomationError(kReadOnly, kReadOnlyText);
  QWidget* w = window->widget();
  if (MinimizedOrMaximized(w))
    throw AutomationError(kWindowState, kMoveWhileMinimizedText);
  const bool height = which == Extent::Height;
  const double tpp = height ? TwipsPerPixelY(w) : TwipsPerPixelX(w);
  const QSize largest = LargestWindow(w);
  const qint32 frame =
      std::clamp(PixelsFromTwips(TwipsFromPixels(pixels, tpp), tpp), 0, height ? largest.height() : largest.width());
  // The value is the outer size; the widget is sized without its frame.
  const QSize margins = w->frameGeometry().size() - w->size();
  if (height)
    w->resize(w->width(), std::max(0, frame - margins.height()));
  else
    w->resize(std::max(0, frame - margins.width()), w->height());
}

qint32 GetExtent(Extent which) {
  PlugInWindow* window = CurrentWindow();
  if (!window)
    return 0;
  const QWidget* w = window->widget();
  const QRect frame = w->frameGeometry();
  return which == Extent::Height ? FramePixels(frame.height(), TwipsPerPixelY(w))
                                 : FramePixels(frame.width(), TwipsPerPixelX(w));
}

void SetPosition(Position which, qint32 pixels) {
  PlugInWindow* window = CurrentWindow();
  if (!window)
    return;
  QWidget* w = window->widget();
  if (MinimizedOrMaximized(w))
    throw AutomationError(kWindowState, kMoveWhileMinimizedText);
  const bool left = which == Position::Left;
  const double tpp = left ? TwipsPerPixelX(w) : TwipsPerPixelY(w);
  const qint32 v = ClampPosition(PixelsFromTwips(TwipsFromPixels(pixels, tpp), tpp));
  // For a window, move() places the outer frame.
  w->move(left ? v : w->x(), left ? w->y() : v);
}

qint32 GetPosition(Position which) {
  PlugInWindow* window = CurrentWindow();
  if (!window)
    return 0;
  const QWidget* w = window->widget();
  return which == Position::Left ? FramePixels(w->x(), TwipsPerPixelX(w)) : FramePixels(w->y(), TwipsPerPixelY(w));
}

}  // namespace

int PropertySlot(const QString& member, SlotKind kind) {
  for (const InterfaceSlot& s : kLNSPlugInAPISlots)
    if (s.kind == kind && member == QLatin1String(s.member))
      return s.slot;
  return 0;
}

void SetRegisterCommandsHook(std::function<void()> hook) { registerCommandsHook() = std::move(hook); }

double TwipsPerPixelX(const QWidget* window) {
  const QScreen* screen = ScreenOf(window);
  const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

double TwipsPerPixelY(const QWidget* window) {
  const QScreen* screen = ScreenOf(window);
  const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

double TwipsFromPixels(qint32 pixels, double twipsPerPixel) { return static_cast<double>(pixels) * twipsPerPixel; }

qint32 PixelsFromTwips(double twips, double twipsPerPixel) {
  if (!(twipsPerPixel > 0))
    twipsPerPixel = 15.0;
  const double x = twips / twipsPerPixel;
  if (std::isnan(x))
    return 0;
  double r = std::floor(x);
  const double fraction = x - r;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(r, 2.0) != 0.0))
    r += 1.0;
  constexpr double lo = std::numeric_limits<qint32>::min();
  constexpr double hi = std::numeric_limits<qint32>::max();
  return static_cast<qint32>(std::clamp(r, lo, hi));
}

LNSPlugInAPI::LNSPlugInAPI() {
  if (MMain.DirectorCount == 0) {
    attach::BuildPlugInCommandTable();
    MMain.ServerOpenedByPlugIn = false;
    MMain.NetworkOpenedByPlugIn = false;
    PlugInWindow* main = Window(WindowId::fMain);  // created hidden
    MMain.ObjectServer = main ? main->LcaOS() : nullptr;
  }
  ++MMain.DirectorCount;
}

void LNSPlugInAPI::Release() {
  if (released_)
    return;
  released_ = true;
  --MMain.DirectorCount;
  if (!MMain.CurrentMainWindow)
    MMain.CurrentMainWindow = Window(WindowId::fMain);
  PlugInWindow* window = MMain.CurrentMainWindow;
  // Any plug-in window the operator can see keeps the plug-in, not only the
  // one the last command opened: another director's window, or an editor
  // with unsaved typing, would otherwise vanish with it.
  if (MMain.DirectorCount == 0 && !AnyPlugInWindowVisible()) {
    // A window without an EndPlugIn operation (the phonebook) is not left
    // running unseen and unheld: the program's shutdown ends the plug-in.
    if (!window || !window->EndPlugIn())
      RunShutdown();
  }
}

namespace {

// Both commands work on the system of a network a director opened.
void RequireOpenNetwork() {
  if (!MMain.CurrentSystem)
    throw AutomationError(kWindowState, kNoNetworkText);
}

}  // namespace

void LNSPlugInAPI::SendCommand(qint32 commandId, qint16 objectClassId, const QString& objectName) {
  PointerReset pointer;
  if (commandId == 50) {
    RequireOpenNetwork();
    // One registration at a time: its dialog waits for the operator on the
    // event loop, where another director's Register would otherwise start a
    // second dialog (and a queue of them would nest without bound).
    static bool registering = false;
    if (registering)
      throw AutomationError(kWindowState, kRegistrationInProgressText);
    if (registerCommandsHook()) {
      struct Running {
        Running() { registering = true; }
        ~Running() { registering = false; }
      } running;
      try {
        registerCommandsHook()();
      } catch (const std::exception&) {
        // The registration reports its own problems; the director sees none.
      }
    }
    return;
  }
  auto& table = MMain.PlugInCommandTable;
  int found = -1;
  bool sameCommand = false;
  for (int r = 0; r <= 5; ++r) {  // row 6 is told apart from the device itself
    if (table[r].CommandId != commandId)
      continue;
    sameCommand = true;
    if (table[r].ObjectType == objectClassId) {
      found = r;
      break;
    }
  }
  if (found < 0) {
    if (sameCommand)
      throw AutomationError(kObjectTypeNotSupported, kObjectTypeNotSupportedText);
    throw AutomationError(kCommandNotSupported, kCommandNotSupportedText);
  }
  RequireOpenNetwork();
  try {
    attach::SplitPath(objectName);
    const lns::ObjectPtr object = attach::FindObject(objectClassId);
    attach::Attach(table[found], object);
  } catch (const AutomationError&) {
    throw;
  } catch (const lns::LnsError& e) {
    throw AutomationError(e.number(), e.description(), QStringLiteral("LcaObjectServer"));
  } catch (const std::exception& e) {
    throw AutomationError(kUnexpected, QString::fromLocal8Bit(e.what()));
  }
}

bool LNSPlugInAPI::Visible() {
  PlugInWindow* window = CurrentWindow();
  return window && window->widget()->isVisible();
}

void LNSPlugInAPI::setVisible(bool visible) {
  PlugInWindow* window = CurrentWindow();
  if (!window)
    return;
  if (MMain.AttachAbandoned || !visible)
    window->widget()->hide();
  else
    platform::ui().showModeless(window->widget());
}

QString LNSPlugInAPI::networkName() { return MMain.CurrentNetworkName; }

void LNSPlugInAPI::setNetworkName(const QString& name) { attach::OpenNetwork(name, networkInterfaceName_); }

bool LNSPlugInAPI::Remote() { return MMain.ObjectServer ? MMain.ObjectServer->remoteFlag() : false; }

void LNSPlugInAPI::setRemote(bool remote) {
  lns::ObjectServer& server = Server();
  // Switching closes the server and what it has open: never under a window
  // that shows a router of it.
  if (AnyPlugInWindowVisible() && server.remoteFlag() != remote && server.IsOpen())
    throw AutomationError(kWindowState,
                          QStringLiteral("Cannot switch to ") +
                              (remote ? QStringLiteral("remote") : QStringLiteral("local")) +
                              QStringLiteral(" work: the plug-in is showing a router of a network open ") +
                              (remote ? QStringLiteral("locally") : QStringLiteral("remotely")) +
                              QStringLiteral("; close its window first"));
  MMain.ServerOpenedByPlugIn = server.IsOpen();
  if (MMain.ServerOpenedByPlugIn) {
    server.Close();
    // The network went with the server: the director's next networkName
    // opens it again instead of finding it "already open".
    MMain.NetworkOpenedByPlugIn = false;
  }
  server.setRemoteFlag(remote);
  if (!remote)
    MMain.OpenedNetworkInterface.clear();
  if (MMain.ServerOpenedByPlugIn)
    server.Open();
}

qint32 LNSPlugInAPI::Height() { return GetExtent(Extent::Height); }
void LNSPlugInAPI::setHeight(qint32 pixels) { SetExtent(Extent::Height, pixels); }
qint32 LNSPlugInAPI::Width() { return GetExtent(Extent::Width); }
void LNSPlugInAPI::setWidth(qint32 pixels) { SetExtent(Extent::Width, pixels); }
qint32 LNSPlugInAPI::Left() { return GetPosition(Position::Left); }
void LNSPlugInAPI::setLeft(qint32 pixels) { SetPosition(Position::Left, pixels); }
qint32 LNSPlugInAPI::Top() { return GetPosition(Position::Top); }
void LNSPlugInAPI::setTop(qint32 pixels) { SetPosition(Position::Top, pixels); }

bool LNSPlugInAPI::Minimized() {
  PlugInWindow* window = CurrentWindow();
  return window && (window->widget()->windowState() & Qt::WindowMinimized) != 0;
}

void LNSPlugInAPI::setMinimized(bool minimized) {
  PlugInWindow* window = CurrentWindow();
  if (!window)
    return;
  QWidget* w = window->widget();
  // The state is set even when the error below follows: a hidden window
  // takes it when it is next shown.
  w->setWindowState(minimized ? Qt::WindowMinimized : Qt::WindowNoState);
  if (!w->isVisible())
    throw AutomationError(kWindowState, kMinimizedWhileHiddenText);
}

QString LNSPlugInAPI::ManufacturerID() const { return registration::kManufacturerId; }
QString LNSPlugInAPI::ManufacturerName() const { return registration::kManufacturerName; }
QString LNSPlugInAPI::LcaVersion() const { return registration::kLcaVersion; }
QString LNSPlugInAPI::Version() const { return registration::kVersion; }
QString LNSPlugInAPI::Name() const { return registration::kPlugInName; }

void LNSPlugInAPI::setConstant(const QString&) { throw AutomationError(kReadOnly, kReadOnlyText); }

QVariant LNSPlugInAPI::Invoke(int slot, const QVariantList& args) {
  const QVariant a = args.value(0);
  // Over-long texts are refused before anything is done with them.
  const auto limit = [](const QVariant& v, const char* what) {
    const qsizetype length = v.toString().size();
    if (length > kMaxDirectorText)
      throw AutomationError(kObjectNotFound, TooLongText(QString::fromLatin1(what), length));
  };
  if (slot == 1)
    limit(args.value(2), "object name");
  else if (slot == 5)
    limit(a, "network name");
  else if (slot == 7)
    limit(a, "network interface name");
  try {
    switch (slot) {
      case 1:
        SendCommand(args.value(0).value<qint32>(), args.value(1).value<qint16>(), args.value(2).toString());
        return {};
      case 2: return Visible();
      case 3: setVisible(a.toBool()); return {};
      case 4: return networkName();
      case 5: setNetworkName(a.toString()); return {};
      case 6: return NetworkInterfaceName();
      case 7: setNetworkInterfaceName(a.toString()); return {};
      case 8: return Remote();
      case 9: setRemote(a.toBool()); return {};
      case 10: setHeight(a.value<qint32>()); return {};
      case 11: return Height();
      case 12: setWidth(a.value<qint32>()); return {};
      case 13: return Width();
      case 14: setLeft(a.value<qint32>()); return {};
      case 15: return Left();
      case 16: setMinimized(a.toBool()); return {};
      case 17: return Minimized();
      case 18: return ManufacturerID();
      case 20: return ManufacturerName();
      case 22: return LcaVersion();
      case 24: return Version();
      case 19:
      case 21:
      case 23:
      case 25:
      case 29: setConstant(a.toString());
      case 26: setTop(a.value<qint32>()); return {};
      case 27: return Top();
      case 28: return Name();
      default: break;
    }
  } catch (const AutomationError&) {
    throw;
  } catch (const lns::LnsError& e) {
    throw AutomationError(e.number(), e.description(), QStringLiteral("LcaObjectServer"));
  } catch (const std::exception& e) {
    throw AutomationError(kUnexpected, QString::fromLocal8Bit(e.what()));
  }
  throw AutomationError(kUnexpected, QStringLiteral("No member in slot ") + QString::number(slot));
}
