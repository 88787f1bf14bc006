#pragma once
// Stand-ins for the plug-in's windows, registered with the host's window
// registry: they record every open operation together with the state the
// host had set when it was called, and count EndPlugIn calls.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "host/mmain.h"
#include "host/plugin_window.h"

namespace testing_support {

struct OpenCall {
  QString operation;   // "ProcessDeviceCommand" or "ProcessLonMarkObjectCommand"
  QString objectName;  // the device's or LonMark object's name
  PlugInCommand* row = nullptr;
  PlugInWindow* currentMainWindow = nullptr;  // MMain.CurrentMainWindow during the call
  quint8 explicitFamily = 0;                  // MMain.ExplicitFamily during the call
};

class FakeWindow : public PlugInWindow {
 public:
  FakeWindow(WindowId id, BorderStyle border, lns::ObjectServerPtr server = nullptr)
      : id_(id), border_(border), server_(std::move(server)), widget_(new QWidget) {
    widget_->setObjectName(id == WindowId::fMain           ? QStringLiteral("fMain")
                           : id == WindowId::fMainExplicit ? QStringLiteral("fMainExplicit")
                                                           : QStringLiteral("fPhoneBook"));
  }
  ~FakeWindow() override {
    if (ExistingWindow(id_) == this)
      ForgetWindow(id_);
    delete widget_.data();
  }
  WindowId id() const override { return id_; }
  // The widget may be destroyed on its own when the plug-in unloads the window.
  QWidget* widget() override { return widget_.data(); }
  BorderStyle borderStyle() const override { return border_; }
  void ProcessDeviceCommand(lns::AppDevicePtr device, PlugInCommand& command) override {
    opens.push_back({QStringLiteral("ProcessDeviceCommand"), device->Name(), &command, MMain.CurrentMainWindow,
                     MMain.ExplicitFamily});
    if (onOpen)
      onOpen();
  }
  void ProcessLonMarkObjectCommand(lns::LonMarkObjectPtr object, PlugInCommand& command) override {
    opens.push_back({QStringLiteral("ProcessLonMarkObjectCommand"), object->Name(), &command, MMain.CurrentMainWindow,
                     MMain.ExplicitFamily});
    if (onOpen)
      onOpen();
  }
  bool EndPlugIn() override {
    ++endPlugInCalls;
    return hasEndPlugIn;
  }
  lns::ObjectServerPtr LcaOS() override { return server_; }

  std::vector<OpenCall> opens;
  int endPlugInCalls = 0;
  bool hasEndPlugIn = true;
  std::function<void()> onOpen;  // runs inside the open operation (may throw)

 private:
  WindowId id_;
  BorderStyle border_;
  lns::ObjectServerPtr server_;
  QPointer<QWidget> widget_;
};

// Registers the three windows (fMain hosting the given Object Server) for the
// life of the object; the windows are created on first use, as the real
// ones are.
class FakeWindows {
 public:
  explicit FakeWindows(lns::ObjectServerPtr server = nullptr) {
    RegisterWindow(WindowId::fMain, [this, server] { return make(WindowId::fMain, BorderStyle::FixedSingle, server); });
    RegisterWindow(WindowId::fMainExplicit,
                   [this] { return make(WindowId::fMainExplicit, BorderStyle::FixedSingle, nullptr); });
    RegisterWindow(WindowId::fPhoneBook, [this] {
      FakeWindow* w = make(WindowId::fPhoneBook, BorderStyle::Sizable, nullptr);
      w->hasEndPlugIn = false;  // the phonebook has no EndPlugIn operation
      return w;
    });
  }
  ~FakeWindows() {
    for (WindowId id : {WindowId::fMain, WindowId::fMainExplicit, WindowId::fPhoneBook})
      RegisterWindow(id, nullptr);
    made_.clear();
  }
  FakeWindows(const FakeWindows&) = delete;
  FakeWindows& operator=(const FakeWindows&) = delete;

  FakeWindow* get(WindowId id) { return static_cast<FakeWindow*>(Window(id)); }
  FakeWindow* existing(WindowId id) { return static_cast<FakeWindow*>(ExistingWindow(id)); }
  // Removes a window's registration, as in a build without that window.
  static void unregister(WindowId id) { RegisterWindow(id, nullptr); }

 private:
  FakeWindow* make(WindowId id, BorderStyle border, lns::ObjectServerPtr server) {
    made_.push_back(std::make_unique<FakeWindow>(id, border, std::move(server)));
    return made_.back().get();
  }
  std::vector<std::unique_ptr<FakeWindow>> made_;
};

}  // namespace testing_support
