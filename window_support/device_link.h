#pragma once
// How a window talks to its device: through the explicit message control it
// hosts, with the data-server handle of the LNS system the window opened its
// device in. A window keeps that system for as long as it shows the device,
// so another director opening another network never redirects its messages.

#include <QString>

#include "host/lns/lns.h"

class CZEV_ActiveXCtrl;

namespace window_support {

class DeviceLink {
 public:
  explicit DeviceLink(CZEV_ActiveXCtrl* control) : control_(control) {}
  CZEV_ActiveXCtrl* control() const { return control_; }

  // Points the control at the device: strNodeName = "#" + the handle in
  // decimal, with one leading blank when it is not negative ("# 17", "#-5").
  void Connect(const lns::AppDevicePtr& device);
  static QString NodeName(qint32 handle);

  // The system the window's device belongs to, taken when the window opens
  // the device; until one is set, the system of the network open now.
  void SetSystem(lns::SystemPtr system) { system_ = std::move(system); }
  lns::SystemPtr system() const;

  // Sets strExplicitMessage and calls MsgResponse with the data-server handle
  // of system() ([24]); returns the reply text, "Message Failed" or
  // "Message Timeout".
  QString Send(const QString& request);
  // The same through MsgNoResponse (call cancel); the result is not examined.
  void SendNoResponse(const QString& request);

  // The data-server handle of system(); 0 when there is none.
  qint32 DataServerHandle() const;

 private:
  CZEV_ActiveXCtrl* control_;
  lns::SystemPtr system_;
};

}  // namespace window_support
