#pragma once
// Errors that reach a director: a plain number, a source and a description,
// the three things an automation caller sees of a raised error.

#include <QString>
#include <stdexcept>

class AutomationError : public std::runtime_error {
 public:
  AutomationError(qint32 number, const QString& description, const QString& source = QStringLiteral("RLX_Plug"))
      : std::runtime_error(description.toStdString()), number_(number), source_(source), description_(description) {}
  qint32 number() const { return number_; }
  const QString& source() const { return source_; }
  const QString& description() const { return description_; }

 private:
  qint32 number_;
  QString source_;
  QString description_;
};

namespace automation_errors {

// The numbers are plain error numbers, not offsets from an object-error base.
inline constexpr qint32 kReadOnly = 20002;
inline constexpr qint32 kCommandNotSupported = 20003;
inline constexpr qint32 kObjectTypeNotSupported = 20004;
inline constexpr qint32 kObjectNotFound = 20005;
inline constexpr qint32 kWindowState = 20006;  // also "Cannot open the network ..."

inline const QString kReadOnlyText = QStringLiteral("Attempt to write to read-only property");
inline const QString kCommandNotSupportedText = QStringLiteral("Command not supported");
inline const QString kObjectTypeNotSupportedText = QStringLiteral("Object type not supported for this command");
inline const QString kObjectNotFoundText = QStringLiteral("Object not found");
inline const QString kMoveWhileMinimizedText =
    QStringLiteral("Plug-in can't be moved or sized while minimized or maximized");
inline const QString kMinimizedWhileHiddenText = QStringLiteral(
    "Can not modify the minimzed property when invisble. The property will be applied the next time the plug-in is "
    "made visible");
inline const QString kCannotOpenNetworkText = QStringLiteral("Cannot open the network ");
// Calls that need an open network, made before networkName opened one.
inline const QString kNoNetworkText = QStringLiteral("No network is open: set networkName before this command");
// A second "Register" while the first waits for the operator.
inline const QString kRegistrationInProgressText = QStringLiteral(
    "Registration is in progress: another Register command is waiting in the \"Register RLX_PLUG\" window; send "
    "Register again when that window has closed");

// Texts a director passes (object names, network and interface names) are
// refused beyond this length: no LNS path comes near it, and a longer text is
// not split, looked up or stored.
inline constexpr qsizetype kMaxDirectorText = 4096;
inline QString TooLongText(const QString& what, qsizetype length) {
  return QStringLiteral("The %1 is %2 characters long; no LNS name or path is longer than %3 characters")
      .arg(what)
      .arg(length)
      .arg(kMaxDirectorText);
}

// An error with no number of its own (a fault the caller cannot act on):
// the classic "Automation error".
inline constexpr qint32 kUnexpected = 440;

}  // namespace automation_errors
