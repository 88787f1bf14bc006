#include "zev_activex_ctrl.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <limits>

#include "explicit_control/data_server_link.h"
#include "platform/log_categories.h"
#include "platform/ui_services.h"

namespace zev {

qint32 DecimalPrefix(const QByteArray& text) {
  const char* p = text.constData();
  while (*p && std::isspace(static_cast<unsigned char>(*p)))
    ++p;
  bool negative = false;
  if (*p == '+' || *p == '-')
    negative = *p++ == '-';
  qint64 value = 0;
  constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
  for (; *p >= '0' && *p <= '9'; ++p)
    value = std::min(value * 10 + (*p - '0'), limit);
  value = negative ? -value : std::min<qint64>(value, std::numeric_limits<qint32>::max());
  return static_cast<qint32>(value);
}

}  // namespace zev

namespace {

using zev::DataServerApi;

QString messageFailed() { return QString::fromLatin1(CZEV_ActiveXCtrl::kMessageFailed); }

QString shownResult(const QString& text) { return u'"' + text + u'"'; }
QString shownResult(qint32 status) { return QStringLiteral("status %1").arg(status); }

// Runs one message call and, for the rlx.explicit diagnosis, writes what was
// sent to which device through which data server, the answer and its time.
template <class Send>
auto traced(const char* method, const QString& node, qint32 dataServer, const QString& message, Send send) {
  if (!platform::lcExplicit().isDebugEnabled())
    return send();
  QElapsedTimer timer;
  timer.start();
  const auto result = send();
  qCDebug(platform::lcExplicit).noquote()
      << QStringLiteral("%1 to %2 (data server %3): %4 -> %5 in %6 ms")
             .arg(QLatin1String(method), node, QString::number(dataServer), message, shownResult(result))
             .arg(timer.elapsed());
  return result;
}

// Text crosses the interface as Unicode and is handled inside as single-byte
// (Latin-1) text.
QByteArray singleByte(const QString& text) { return text.toLatin1(); }

// Argument conversions of Invoke, the way an automation call coerces them.
zev::HRESULT toLong(const QVariant& v, qint64 low, qint64 high, qint64* out) {
  if (!v.isValid() || v.isNull()) {
    *out = 0;
    return zev::kS_OK;
  }
  bool ok = false;
  const qlonglong n = v.toLongLong(&ok);
  if (!ok)
    return zev::kDISP_E_TYPEMISMATCH;
  if (n < low || n > high)
    return zev::kDISP_E_OVERFLOW;
  *out = n;
  return zev::kS_OK;
}

zev::HRESULT toText(const QVariant& v, QString* out) {
  if (!v.isValid() || v.isNull()) {
    out->clear();
    return zev::kS_OK;
  }
  if (!v.canConvert<QString>())
    return zev::kDISP_E_TYPEMISMATCH;
  *out = v.toString();
  return zev::kS_OK;
}

zev::HRESULT toInt32(const QVariant& v, qint32* out) {
  qint64 n = 0;
  const zev::HRESULT hr = toLong(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), &n);
  *out = static_cast<qint32>(n);
  return hr;
}

}  // namespace

CZEV_ActiveXCtrl::CZEV_ActiveXCtrl(QObject* parent) : COleControl(parent) {}

void CZEV_ActiveXCtrl::SetstrNodeName(const QString& value) {
  strNodeName_ = value;
  SetModifiedFlag();
}

void CZEV_ActiveXCtrl::SetstrExplicitMessage(const QString& value) {
  strExplicitMessage_ = value;
  SetModifiedFlag();
}

void CZEV_ActiveXCtrl::SetPtrDataServer(qint32 value) {
  PtrDataServer_ = value;
  activeDataServer_ = value;
  SetModifiedFlag();
}

zev::CompletionWait& CZEV_ActiveXCtrl::completionWait() const {
  return wait_ ? *wait_ : zev::SystemCompletionWait::instance();
}

std::optional<QByteArray> CZEV_ActiveXCtrl::explicitBody() const {
  const QByteArray text = singleByte(strExplicitMessage_);
  if (text.size() < 3)
    return std::nullopt;
  return text.mid(3);
}

qint32 CZEV_ActiveXCtrl::openWithReset(const DataServerApi& api, qint32 dataServer, qint32 kind, qint32 code,
                                       bool withCallback, qint32* point, bool stopWhenResetFails) const {
  const QByteArray node = singleByte(strNodeName_);
  const LcaPointCallback callback = withCallback ? &zev::PointCallback : nullptr;
  qint32 status = api.OpenPoint(dataServer, kind, node.constData(), code, point, callback);
  if (status == lca::kLcaResetFirst) {
    const qint32 reset = api.ResetDataServer(dataServer);
    if (reset != lca::kLcaOk && stopWhenResetFails)
      return reset;
    status = api.OpenPoint(dataServer, kind, node.constData(), code, point, callback);
  }
  return status;
}

QString CZEV_ActiveXCtrl::exchange(const DataServerApi& api, qint32 dataServer, qint32 code, const QByteArray& body) {
  const QByteArray node = singleByte(strNodeName_);
  qint32 response = 0;
  if (openWithReset(api, dataServer, lca::kResponsePoint, code, false, &response, true) != lca::kLcaOk)
    return messageFailed();
  if (api.ActivatePoint(dataServer, response) != lca::kLcaOk)
    return messageFailed();

  qint32 completion = 0;
  if (api.OpenPoint(dataServer, lca::kCompletionPoint, node.constData(), code, &completion, &zev::PointCallback) !=
      lca::kLcaOk)
    return messageFailed();
  api.ActivatePoint(dataServer, completion);

  qint32 request = 0;
  if (api.OpenPoint(dataServer, lca::kRequestPoint, node.constData(), code, &request, &zev::PointCallback) !=
      lca::kLcaOk)
    return messageFailed();
  if (api.SetPointAttribute(dataServer, request, lca::kMessageAttribute, 3) != lca::kLcaOk)
    return messageFailed();
  api.ActivatePoint(dataServer, request);

  zev::ArmCompletion();
  if (api.WritePoint(dataServer, request, static_cast<qint32>(body.size()) + 1, body.constData()) != lca::kLcaOk)
    return messageFailed();
  // Completion or not, the response point holds what there is to say
  // ("Message Timeout" when the device did not answer).
  zev::WaitForCompletion(completionWait());
  return readResponse(api, dataServer, response);
}

QString CZEV_ActiveXCtrl::readResponse(const DataServerApi& api, qint32 dataServer, qint32 point) const {
  QByteArray buffer(kResponseBufferSize, '\0');
  qint32 status = lca::kLcaFailed;
  // A response that does not fit is announced with the size it needs; read it
  // again into a buffer of that size (again if it grew in between).
  for (int attempt = 0; attempt < 3; ++attempt) {
    qint32 count = static_cast<qint32>(buffer.size());
    status = api.ReadPoint(dataServer, point, &count, buffer.data());
    if (status != lca::kLcaMoreData || count <= buffer.size() || count > kMaxResponseSize)
      break;
    buffer = QByteArray(count, '\0');
  }
  if (status != lca::kLcaOk)
    return messageFailed();
  // Never read past the buffer, whatever the data server left in it.
  return QString::fromLatin1(buffer.constData(), qstrnlen(buffer.constData(), buffer.size()));
}

QString CZEV_ActiveXCtrl::MsgResponse(qint32 longDataServerHandle) {
  return traced("MsgResponse", strNodeName_, longDataServerHandle, shownResult(strExplicitMessage_), [&] {
    const std::optional<QByteArray> body = explicitBody();
    if (!body)
      return messageFailed();
    const DataServerApi* api = zev::LoadDataServer();
    if (!api)
      return messageFailed();
    return exchange(*api, longDataServerHandle, zev::DecimalPrefix(singleByte(strExplicitMessage_)), *body);
  });
}

QString CZEV_ActiveXCtrl::TxMesWResp(qint16 MCode, const QString& MesStr, qint32& /*Err*/) {
  return traced("TxMesWResp", strNodeName_, activeDataServer_.value_or(0),
                QStringLiteral("code %1, ").arg(MCode) + shownResult(MesStr), [&] {
                  if (!activeDataServer_)
                    return messageFailed();
                  const DataServerApi* api = zev::LoadDataServer();
                  if (!api)
                    return messageFailed();
                  return exchange(*api, *activeDataServer_, MCode, singleByte(MesStr));
                });
}

qint32 CZEV_ActiveXCtrl::MsgNoResponse(qint32 DataServerHandle) {
  return traced("MsgNoResponse", strNodeName_, DataServerHandle, shownResult(strExplicitMessage_),
                [&] { return sendWithoutResponse(DataServerHandle); });
}

qint32 CZEV_ActiveXCtrl::sendWithoutResponse(qint32 DataServerHandle) {
  const std::optional<QByteArray> body = explicitBody();
  const DataServerApi* api = zev::LoadDataServer();
  if (!body || !api)
    return 1;
  const qint32 code = zev::DecimalPrefix(singleByte(strExplicitMessage_));
  const QByteArray node = singleByte(strNodeName_);

  qint32 request = 0;
  // A request point that did not open is not used: its handle would be
  // whatever was left in the variable, possibly another point's.
  const bool requestOpen =
      openWithReset(*api, DataServerHandle, lca::kRequestPoint, code, false, &request, false) == lca::kLcaOk;
  if (requestOpen) {
    api->SetPointAttribute(DataServerHandle, request, lca::kMessageAttribute, 0);
    api->ActivatePoint(DataServerHandle, request);
  }
  qint32 completion = 0;
  if (api->OpenPoint(DataServerHandle, lca::kCompletionPoint, node.constData(), code, &completion,
                     &zev::PointCallback) != lca::kLcaOk)
    return 1;
  api->ActivatePoint(DataServerHandle, completion);
  if (requestOpen) {
    zev::ArmCompletion();
    api->WritePoint(DataServerHandle, request, static_cast<qint32>(body->size()) + 1, body->constData());
    zev::WaitForCompletion(completionWait());
  }
  return 0;
}

qint32 CZEV_ActiveXCtrl::TxMessage(const QString& MesStr) {
  return traced("TxMessage", strNodeName_, activeDataServer_.value_or(0), shownResult(MesStr),
                [&] { return transmit(MesStr); });
}

qint32 CZEV_ActiveXCtrl::transmit(const QString& MesStr) {
  if (!activeDataServer_)
    return lca::kLcaBadHandle;
  const DataServerApi* api = zev::LoadDataServer();
  if (!api)
    return lca::kLcaFailed;
  const qint32 ds = *activeDataServer_;
  qint32 point = 0;
  const qint32 opened = openWithReset(*api, ds, lca::kCompletionPoint, 1, false, &point, false);
  if (opened != lca::kLcaOk)
    return opened;  // nothing to write to
  api->SetPointAttribute(ds, point, lca::kMessageAttribute, 2);
  api->ActivatePoint(ds, point);
  const QByteArray text = singleByte(MesStr);
  return api->WritePoint(ds, point, static_cast<qint32>(text.size()) + 1, text.constData());
}

qint32 CZEV_ActiveXCtrl::MsgRecieve(qint32 DataServerHandle) {
  const DataServerApi* api = zev::LoadDataServer();
  if (!api)
    return 0;
  qint32 point = 0;
  if (openWithReset(*api, DataServerHandle, lca::kReceivePoint, -1, true, &point, false) == lca::kLcaOk)
    api->ActivatePoint(DataServerHandle, point);
  return 0;
}

void CZEV_ActiveXCtrl::AboutBox() {
  QDialog dialog;
  dialog.setObjectName(QStringLiteral("AboutZEV_ActiveX"));
  dialog.setWindowTitle(QStringLiteral("About ZEV_ActiveX Control"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* version = new QLabel(QStringLiteral("ZEV_ActiveX Control, Version 1.10"), &dialog);
  version->setObjectName(QStringLiteral("LabelVersion"));
  auto* notice = new QLabel(QStringLiteral("Copyright (C) Zev Products Inc."), &dialog);
  notice->setObjectName(QStringLiteral("LabelCopyright"));
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("CmdOK"));
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(version);
  layout->addWidget(notice);
  layout->addWidget(buttons);
  platform::ui().showModal(&dialog);
}

void CZEV_ActiveXCtrl::OnDraw(QPainter& painter, const QRect& bounds) {
  painter.fillRect(bounds, Qt::white);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawEllipse(bounds.adjusted(0, 0, -1, -1));
}

void CZEV_ActiveXCtrl::DoPropExchange(zev::CPropExchange& px) {
  px.ExchangeVersion(kVersion);
  px.PX_Long(QStringLiteral("PtrDataServer"), PtrDataServer_, 0);
}

zev::HRESULT CZEV_ActiveXCtrl::Invoke(qint32 dispId, zev::DispKind kind, QVariantList& args, QVariant* result) {
  using zev::DispKind;
  QVariant out;
  zev::HRESULT hr = zev::kS_OK;
  const auto expect = [&](DispKind k, qsizetype count) {
    if (kind != k)
      return zev::kDISP_E_MEMBERNOTFOUND;
    return args.size() == count ? zev::kS_OK : zev::kDISP_E_BADPARAMCOUNT;
  };
  // Properties: get with no argument, put with one.
  const auto property = [&](auto get, auto put, auto convert) {
    if (kind == DispKind::PropertyGet)
      return args.isEmpty() ? (out = get(), zev::kS_OK) : zev::kDISP_E_BADPARAMCOUNT;
    if (kind != DispKind::PropertyPut)
      return zev::kDISP_E_MEMBERNOTFOUND;
    if (args.size() != 1)
      return zev::kDISP_E_BADPARAMCOUNT;
    return convert(args[0], put);
  };
  const auto putText = [](const QVariant& v, auto put) {
    QString s;
    const zev::HRESULT r = toText(v, &s);
    if (r == zev::kS_OK)
      put(s);
    return r;
  };
  const auto putLong = [](const QVariant& v, auto put) {
    qint32 n = 0;
    const zev::HRESULT r = toInt32(v, &n);
    if (r == zev::kS_OK)
      put(n);
    return r;
  };
  qint32 n = 0;
  QString text;
  switch (static_cast<DispId>(dispId)) {
    case DispId::strNodeName:
      hr = property([&] { return QVariant(strNodeName_); }, [&](const QString& s) { SetstrNodeName(s); }, putText);
      break;
    case DispId::strExplicitMessage:
      hr = property([&] { return QVariant(strExplicitMessage_); }, [&](const QString& s) { SetstrExplicitMessage(s); },
                    putText);
      break;
    case DispId::PtrDataServer:
      hr = property([&] { return QVariant(PtrDataServer_); }, [&](qint32 v) { SetPtrDataServer(v); }, putLong);
      break;
    case DispId::MsgNoResponse:
      if ((hr = expect(DispKind::Method, 1)) == zev::kS_OK && (hr = toInt32(args[0], &n)) == zev::kS_OK)
        out = MsgNoResponse(n);
      break;
    case DispId::MsgResponse:
      if ((hr = expect(DispKind::Method, 1)) == zev::kS_OK && (hr = toInt32(args[0], &n)) == zev::kS_OK)
        out = MsgResponse(n);
      break;
    case DispId::MsgRecieve:
      if ((hr = expect(DispKind::Method, 1)) == zev::kS_OK && (hr = toInt32(args[0], &n)) == zev::kS_OK)
        out = MsgRecieve(n);
      break;
    case DispId::TxMessage:
      if ((hr = expect(DispKind::Method, 1)) == zev::kS_OK && (hr = toText(args[0], &text)) == zev::kS_OK)
        out = TxMessage(text);
      break;
    case DispId::TxMesWResp: {
      qint64 code = 0;
      qint32 err = 0;
      if ((hr = expect(DispKind::Method, 3)) != zev::kS_OK ||
          (hr = toLong(args[0], std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max(), &code)) !=
              zev::kS_OK ||
          (hr = toText(args[1], &text)) != zev::kS_OK || (hr = toInt32(args[2], &err)) != zev::kS_OK)
        break;
      out = TxMesWResp(static_cast<qint16>(code), text, err);
      args[2] = err;  // by reference
      break;
    }
    case DispId::AboutBox:
      if ((hr = expect(DispKind::Method, 0)) == zev::kS_OK)
        AboutBox();
      break;
    default: hr = zev::kDISP_E_MEMBERNOTFOUND;
  }
  if (hr == zev::kS_OK && result)
    *result = out;
  return hr;
}

QVariant CZEV_ActiveXCtrl::Invoke(DispId id, QVariantList& args) {
  zev::DispKind kind = zev::DispKind::Method;
  if (id == DispId::strNodeName || id == DispId::strExplicitMessage || id == DispId::PtrDataServer)
    kind = args.isEmpty() ? zev::DispKind::PropertyGet : zev::DispKind::PropertyPut;
  QVariant result;
  Invoke(static_cast<qint32>(id), kind, args, &result);
  return result;
}
