#include "cregistry.h"

#include "platform/registry.h"

using platform::Hive;
using platform::Registry;
using platform::RegType;

namespace {
const QString kAppletsKey = QStringLiteral("SOFTWARE\\LonWorks\\LCA\\Applets\\RLX_Plug\\");
constexpr int kMaxKeyName = 260;
}  // namespace

QString CRegistry::cutAtNul(const QString& text) {
  const qsizetype nul = text.indexOf(QChar(0));
  return nul < 0 ? text : text.left(nul);
}

QString CRegistry::FindFirstMachineKey(const QString& key) {
  keyOpen_ = Registry::keyExists(Hive::LocalMachine, key);
  openKey_ = keyOpen_ ? key : QString();
  index_ = 0;
  if (!keyOpen_)
    return {};
  return GetNextMachineKey();
}

QString CRegistry::GetNextMachineKey() {
  const int at = index_++;
  if (!keyOpen_)
    return {};
  const QStringList subs = Registry::subKeys(Hive::LocalMachine, openKey_);
  if (at < 0 || at >= subs.size())
    return {};
  return cutAtNul(subs[at]).left(kMaxKeyName);
}

QString CRegistry::AppSetting(const QString& sSection, const QString& sKey) {
  auto v = Registry::value(Hive::CurrentUser, kAppletsKey + sSection, sKey);
  if (!v || v->type != RegType::String || v->data.isEmpty())
    return {};
  return cutAtNul(v->data);
}

void CRegistry::setAppSetting(const QString& sSection, const QString& sKey, const QString& sSetting) {
  if (!Registry::setValue(Hive::CurrentUser, kAppletsKey + sSection, sKey, sSetting))
    errorNumber_ = kWriteFailed;
}

QString CRegistry::MachineSetting(const QString& key, const QString& valueName) {
  auto v = Registry::value(Hive::LocalMachine, key, valueName);
  if (!v || (v->type != RegType::String && v->type != RegType::ExpandString) || v->data.isEmpty())
    return {};
  return cutAtNul(v->data);
}

void CRegistry::setMachineSetting(const QString& key, const QString& valueName, const QString& value) {
  if (!Registry::setValue(Hive::LocalMachine, key, valueName, value))
    errorNumber_ = kWriteFailed;
}

bool CRegistry::deleteKeyTree(const QString& key) {
  if (Registry::deleteKey(Hive::LocalMachine, key))
    return true;
  if (!Registry::keyExists(Hive::LocalMachine, key))
    return false;
  // Delete the subkeys one by one, always taking the first, until none is
  // left or a deletion fails; then the key itself.
  for (;;) {
    const QStringList subs = Registry::subKeys(Hive::LocalMachine, key);
    if (subs.isEmpty())
      break;
    QString child = key;
    if (!child.endsWith(u'\\'))
      child += u'\\';
    child += subs.front();
    if (!deleteKeyTree(child))
      break;
  }
  return Registry::deleteKey(Hive::LocalMachine, key);
}

bool CRegistry::DeleteMachineKey(const QString& key) { return deleteKeyTree(key); }
