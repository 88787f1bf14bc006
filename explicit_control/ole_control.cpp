#include "ole_control.h"

#include <limits>
#include <optional>

namespace zev {

namespace {
// A stored number that fits a 32-bit signed value, or nothing.
std::optional<qint32> storedLong(const QVariant& v) {
  if (!v.isValid())
    return std::nullopt;
  bool ok = false;
  const qlonglong n = v.toLongLong(&ok);
  if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
    return std::nullopt;
  return static_cast<qint32>(n);
}
}  // namespace

quint32 CPropExchange::ExchangeVersion(quint32 current) {
  if (mode_ == Mode::Save) {
    if (bag_)
      bag_->insert(QLatin1String(kVersionKey), current);
    return current;
  }
  if (mode_ == Mode::Load && bag_) {
    bool ok = false;
    const uint stored = bag_->value(QLatin1String(kVersionKey)).toUInt(&ok);
    if (ok)
      return stored;
  }
  return current;
}

void CPropExchange::PX_Long(const QString& name, qint32& value, qint32 defaultValue) {
  switch (mode_) {
    case Mode::Save:
      if (bag_)
        bag_->insert(name, value);
      break;
    case Mode::Load: value = bag_ ? storedLong(bag_->value(name)).value_or(defaultValue) : defaultValue; break;
    case Mode::Reset: value = defaultValue; break;
  }
}

QVariantMap COleControl::SaveProperties() {
  QVariantMap bag;
  CPropExchange px(CPropExchange::Mode::Save, &bag);
  DoPropExchange(px);
  modified_ = false;
  return bag;
}

void COleControl::LoadProperties(const QVariantMap& bag) {
  QVariantMap copy = bag;
  CPropExchange px(CPropExchange::Mode::Load, &copy);
  DoPropExchange(px);
  modified_ = false;
}

void COleControl::OnResetState() {
  CPropExchange px(CPropExchange::Mode::Reset, nullptr);
  DoPropExchange(px);
}

}  // namespace zev
