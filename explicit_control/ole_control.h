#pragma once
// The small control framework the module's control is built on: a modified
// flag for the container's save logic, property exchange with a property bag,
// reset to defaults, design-time drawing, and late-bound calls by dispatch
// identifier.

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>

class QPainter;
class QRect;

namespace zev {

using HRESULT = std::int32_t;

constexpr HRESULT kS_OK = 0;
constexpr HRESULT kDISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT kDISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT kDISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
constexpr HRESULT kDISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

// How a dispatch member is called.
enum class DispKind { Method, PropertyGet, PropertyPut };

// Moves persistent properties between a control and a property bag (a
// QVariantMap the container keeps, e.g. streamed with QDataStream).
class CPropExchange {
 public:
  enum class Mode { Load, Save, Reset };

  // bag may be null for Reset.
  CPropExchange(Mode mode, QVariantMap* bag) : mode_(mode), bag_(bag) {}

  Mode mode() const { return mode_; }
  bool IsLoading() const { return mode_ != Mode::Save; }

  // Versions are (major << 16) | minor. Saving stores the current version;
  // loading answers the stored one (the current one when the bag has none).
  quint32 ExchangeVersion(quint32 current);

  // Loading takes the stored value, or the default when it is missing or not
  // a 32-bit number; resetting takes the default; saving stores the value.
  void PX_Long(const QString& name, qint32& value, qint32 defaultValue);

  static constexpr const char* kVersionKey = "_Version";

 private:
  Mode mode_;
  QVariantMap* bag_;
};

class COleControl : public QObject {
  Q_OBJECT
 public:
  explicit COleControl(QObject* parent = nullptr) : QObject(parent) {}

  // Whether the container has to save the control.
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }

  // What the container calls to persist the control. Saving clears the
  // modified flag; loading leaves the control unmodified.
  QVariantMap SaveProperties();
  void LoadProperties(const QVariantMap& bag);

  // Sets the persistent properties to their defaults.
  virtual void OnResetState();
  // Draws the control at design time.
  virtual void OnDraw(QPainter& painter, const QRect& bounds) = 0;
  virtual void DoPropExchange(CPropExchange& px) = 0;

  // Calls a member by dispatch identifier. By-reference arguments are written
  // back into args. Answers kS_OK or a DISP_E_ error; result gets the return
  // value (a property's value for PropertyGet).
  virtual HRESULT Invoke(qint32 dispId, DispKind kind, QVariantList& args, QVariant* result) = 0;

 private:
  bool modified_ = false;
};

}  // namespace zev
