#pragma once
// Registry access used throughout the plug-in: machine-wide string values,
// per-user application settings, subkey enumeration and key-tree deletion.
// Failures never raise: reads give "", writes set errorNumber().

#include <QString>

class CRegistry {
 public:
  static constexpr qint32 kWriteFailed = static_cast<qint32>(0x80040201);

  // Opens the machine key, keeps it, resets the index and returns the first
  // subkey name; "" when the key cannot be opened.
  QString FindFirstMachineKey(const QString& key);
  // Name of the subkey at the current index, "" when there is none. The index
  // always advances by one.
  QString GetNextMachineKey();

  // Per-user value sKey of "SOFTWARE\LonWorks\LCA\Applets\RLX_Plug\" + sSection.
  QString AppSetting(const QString& sSection, const QString& sKey);
  void setAppSetting(const QString& sSection, const QString& sKey, const QString& sSetting);

  // Machine-wide string value; "" when the key or value is missing or is not a string.
  QString MachineSetting(const QString& key, const QString& valueName);
  void setMachineSetting(const QString& key, const QString& valueName, const QString& value);

  // Deletes the machine key and everything below it; True when the key is gone.
  bool DeleteMachineKey(const QString& key);

  // The error number set by the last failed write (0 when none failed).
  qint32 errorNumber() const { return errorNumber_; }
  void clearError() { errorNumber_ = 0; }

 private:
  static QString cutAtNul(const QString& text);
  bool deleteKeyTree(const QString& key);

  QString openKey_;
  bool keyOpen_ = false;
  int index_ = 0;
  qint32 errorNumber_ = 0;
};
