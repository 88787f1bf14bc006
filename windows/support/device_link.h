#pragma once
// How a window talks to its device: through the explicit message control it
// hosts, with the data-server handle read from the open LNS system at the
// moment of sending.

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

  // Sets strExplicitMessage and calls MsgResponse with the data-server handle
  // of CurrentSystem ([24]); returns the reply text, "Message Failed" or
  // "Message Timeout".
  QString Send(const QString& request);
  // The same through MsgNoResponse (call cancel); the result is not examined.
  void SendNoResponse(const QString& request);

  // The data-server handle of the open system; 0 when there is none.
  static qint32 DataServerHandle();

 private:
  CZEV_ActiveXCtrl* control_;
};

}  // namespace window_support
