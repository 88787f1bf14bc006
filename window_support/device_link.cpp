#include "device_link.h"

#include "explicit_control/zev_activex_ctrl.h"
#include "host/mmain.h"

namespace window_support {

QString DeviceLink::NodeName(qint32 handle) {
  return handle < 0 ? QStringLiteral("#") + QString::number(handle) : QStringLiteral("# ") + QString::number(handle);
}

void DeviceLink::Connect(const lns::AppDevicePtr& device) { control_->SetstrNodeName(NodeName(device->Handle())); }

lns::SystemPtr DeviceLink::system() const { return system_ ? system_ : MMain.CurrentSystem; }

qint32 DeviceLink::DataServerHandle() const {
  try {
    const lns::SystemPtr s = system();
    return s ? s->DataServerHandle() : 0;
  } catch (const lns::LnsError&) {
    return 0;
  }
}

QString DeviceLink::Send(const QString& request) {
  control_->SetstrExplicitMessage(request);
  return control_->MsgResponse(DataServerHandle());
}

void DeviceLink::SendNoResponse(const QString& request) {
  control_->SetstrExplicitMessage(request);
  control_->MsgNoResponse(DataServerHandle());
}

}  // namespace window_support
