#pragma once
// CZEV_ActiveXCtrl: the explicit message control. It hands a message written
// as text to the LCA data server, waits at most 3000 ms for the data server
// to report completion and, for request/response calls, returns the reply
// text. It has no run-time appearance and fires no events; every result is a
// method's return value.
//
// The host names one instance per main window (objectName "ExplicitCOM" or
// "ExplicitCom") and calls it either through the typed methods below or late
// bound through Invoke() with the dispatch identifiers of DispId.

#include <QByteArray>
#include <QString>
#include <optional>

#include "explicit_control/completion.h"
#include "explicit_control/ole_control.h"

namespace zev {
class DataServerApi;

// The message code: the decimal number at the start of the text (blanks
// skipped, optional sign, digits up to the first non-digit; none gives 0).
// Values beyond 32 bits are clamped.
qint32 DecimalPrefix(const QByteArray& text);
}  // namespace zev

class CZEV_ActiveXCtrl : public zev::COleControl {
  Q_OBJECT
  Q_PROPERTY(QString strNodeName READ GetstrNodeName WRITE SetstrNodeName)
  Q_PROPERTY(QString strExplicitMessage READ GetstrExplicitMessage WRITE SetstrExplicitMessage)
  Q_PROPERTY(qint32 PtrDataServer READ GetPtrDataServer WRITE SetPtrDataServer)

 public:
  // Dispatch identifiers of the interface _DZEV_ActiveX.
  enum class DispId : qint32 {
    strNodeName = 1,
    strExplicitMessage = 2,
    PtrDataServer = 3,
    MsgNoResponse = 4,
    MsgResponse = 5,
    MsgRecieve = 6,
    TxMessage = 7,
    TxMesWResp = 8,
    AboutBox = -552,  // the standard identifier of an About box
  };

  static constexpr const char* kMessageFailed = "Message Failed";
  static constexpr quint32 kVersion = 0x00010000;  // property exchange version 1.0
  static constexpr int kResponseBufferSize = 100;
  // The most a response may need; a data server asking for more is broken.
  static constexpr int kMaxResponseSize = 64 * 1024;

  explicit CZEV_ActiveXCtrl(QObject* parent = nullptr);

  // Properties. Every assignment marks the control modified; assigning
  // PtrDataServer also makes it the handle TxMessage and TxMesWResp use.
  QString GetstrNodeName() const { return strNodeName_; }
  void SetstrNodeName(const QString& value);
  QString GetstrExplicitMessage() const { return strExplicitMessage_; }
  void SetstrExplicitMessage(const QString& value);
  qint32 GetPtrDataServer() const { return PtrDataServer_; }
  void SetPtrDataServer(qint32 value);

  // Writes strExplicitMessage without waiting for a reply. 0, or 1 when the
  // completion point cannot be opened (or the message cannot be sent at all).
  qint32 MsgNoResponse(qint32 DataServerHandle);
  // Writes strExplicitMessage and returns the response text or "Message Failed".
  QString MsgResponse(qint32 longDataServerHandle);
  // Opens a receive point whose deliveries only update the completion byte. Always 0.
  qint32 MsgRecieve(qint32 DataServerHandle);
  // Writes MesStr with code 1 to the active handle; answers the write's status.
  qint32 TxMessage(const QString& MesStr);
  // Writes MesStr with code MCode to the active handle and returns the
  // response or "Message Failed". Err is never written.
  QString TxMesWResp(qint16 MCode, const QString& MesStr, qint32& Err);
  void AboutBox();

  // Late-bound access (see COleControl::Invoke).
  zev::HRESULT Invoke(qint32 dispId, zev::DispKind kind, QVariantList& args, QVariant* result) override;
  // Properties are read with no argument and assigned with one.
  QVariant Invoke(DispId id, QVariantList& args);

  void OnDraw(QPainter& painter, const QRect& bounds) override;
  void DoPropExchange(zev::CPropExchange& px) override;

  // The completion wait's clock and blocking; null puts back the system one.
  void SetCompletionWait(zev::CompletionWait* wait) { wait_ = wait; }

 private:
  // strExplicitMessage from its fourth character on; none when it is shorter
  // than three characters.
  std::optional<QByteArray> explicitBody() const;
  qint32 openWithReset(const zev::DataServerApi& api, qint32 dataServer, qint32 kind, qint32 code, bool withCallback,
                       qint32* point, bool stopWhenResetFails) const;
  QString exchange(const zev::DataServerApi& api, qint32 dataServer, qint32 code, const QByteArray& body);
  QString readResponse(const zev::DataServerApi& api, qint32 dataServer, qint32 point) const;
  qint32 sendWithoutResponse(qint32 dataServer);
  qint32 transmit(const QString& message);
  zev::CompletionWait& completionWait() const;

  QString strNodeName_;
  QString strExplicitMessage_;
  qint32 PtrDataServer_ = 0;
  std::optional<qint32> activeDataServer_;  // set only by assigning PtrDataServer
  zev::CompletionWait* wait_ = nullptr;
};
