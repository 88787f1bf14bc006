#include "device_protocol/modem.h"

namespace device_protocol {

namespace {
// An empty name never identifies a modem, even if a resource string is missing.
bool names(const QString& name, const QString& modemName) { return !name.isEmpty() && name == modemName; }
}  // namespace

QString SelectorText(ModemSelector s) {
  switch (s) {
    case ModemSelector::Internal: return QStringLiteral("00");
    case ModemSelector::External1: return QStringLiteral("02");
    case ModemSelector::External2: return QStringLiteral("03");
  }
  return QStringLiteral("00");
}

ModemSelector SelectorOf(Modem m) {
  switch (m) {
    case Modem::Internal: return ModemSelector::Internal;
    case Modem::External1: return ModemSelector::External1;
    case Modem::External2: return ModemSelector::External2;
  }
  return ModemSelector::Internal;
}

QString ModemDisplayName(Modem m) {
  switch (m) {
    case Modem::Internal: return QStringLiteral("Internal Modem");
    case Modem::External1: return QStringLiteral("External Modem 1");
    case Modem::External2: return QStringLiteral("External Modem 2");
  }
  return QString();
}

Modem ExplicitWindowModem(const QString& name, const ModemNames& n) {
  if (names(name, n.internal))
    return Modem::Internal;
  if (names(name, n.external1))
    return Modem::External1;
  return Modem::External2;
}

int AutoAnswerField(Modem m) {
  switch (m) {
    case Modem::Internal: return 1;
    case Modem::External1: return 2;
    case Modem::External2: return 3;
  }
  return 1;
}

Modem StatisticsModem(const QString& name, const ModemNames& n) {
  if (names(name, n.external1))
    return Modem::External1;
  if (names(name, n.external2))
    return Modem::External2;
  return Modem::Internal;
}

std::optional<Modem> ModemObjectByName(const QString& name, const ModemNames& n) {
  if (names(name, n.internal))
    return Modem::Internal;
  if (names(name, n.external1))
    return Modem::External1;
  if (names(name, n.external2))
    return Modem::External2;
  return std::nullopt;
}

ModemSelector ObjectOpenSelector(Modem object, bool intModemEnabled) {
  switch (object) {
    case Modem::Internal: return intModemEnabled ? ModemSelector::Internal : ModemSelector::External1;
    case Modem::External1: return intModemEnabled ? ModemSelector::External1 : ModemSelector::External2;
    case Modem::External2: return ModemSelector::External2;
  }
  return ModemSelector::Internal;
}

}  // namespace device_protocol
