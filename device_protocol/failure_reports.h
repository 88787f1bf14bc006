#pragma once
// The failure reports of device operations: a fixed prefix, the reply text
// (one of the failure texts) and "'.", shown in a box with the operation's
// title. One constant per operation so that every window uses the same words.

#include <QString>

#include "device_protocol/modem.h"

namespace device_protocol {

inline constexpr char kErrorTitle[] = "Error!";
inline constexpr char kPlugInTitle[] = "RLX_Plug";

struct FailureMessage {
  const char* prefix;
  const char* title = kErrorTitle;
  const char* suffix = "'.";

  QString text(const QString& reply) const { return QString::fromLatin1(prefix) + reply + QString::fromLatin1(suffix); }
  QString titleText() const { return QString::fromLatin1(title); }
};

// The report text: prefix + reply + suffix.
inline QString FailureReport(const FailureMessage& m, const QString& reply) { return m.text(reply); }

// Statistics.
inline constexpr FailureMessage kClearStatisticsFailed{
    "Failed to clear Connection Statistics due to data server error '", kPlugInTitle};
inline constexpr FailureMessage kDownloadStatisticsLonMarkFailed{
    "Failed to download Connection Statistics due to a data server error '"};
inline constexpr FailureMessage kDownloadStatisticsExplicitFailed{
    "Failed to download Connection Statistics due to data server error '"};

// Modem status at start-up or on a change of modem.
inline constexpr FailureMessage kCheckInternalModemFailed{
    "Failed to Check Internal Modem status due to data server error '"};
inline constexpr FailureMessage kCheckExternalModem1Failed{
    "Failed to Check External Modem 1 status due to data server error '"};
inline constexpr FailureMessage kCheckExternalModem2Failed{
    "Failed to Check External Modem 2 status due to data server error '"};
const FailureMessage& CheckModemStatusFailed(Modem m);

// Input audio: the LonMark window and the explicit window's start-up use the
// capitalised "Set"; the explicit window's menu uses "set".
inline constexpr FailureMessage kSetInputAudioFailed{"Failed to Set Input Audio due to data server error '"};
inline constexpr FailureMessage kSetInputAudioMenuExplicitFailed{
    "Failed to set Input Audio due to data server error '"};

inline constexpr FailureMessage kPulseServicePinFailed{"Failed to Pulse Router Service Pin due to data server error '"};

// Auto answer: the menu, and each modem at the explicit window's start-up.
inline constexpr FailureMessage kSetAutoAnswerFailed{"Failed to set Auto Answer due to data server error '"};
inline constexpr FailureMessage kSetInternalModemAutoAnswerFailed{
    "Failed to set Internal Modem Auto Answer due to data server error '"};
inline constexpr FailureMessage kSetExternalModem1AutoAnswerFailed{
    "Failed to set External Modem 1 Auto Answer due to data server error '"};
inline constexpr FailureMessage kSetExternalModem2AutoAnswerFailed{
    "Failed to set External Modem 2 Auto Answer due to data server error '"};
const FailureMessage& SetModemAutoAnswerFailed(Modem m);

// Dial modes.
inline constexpr FailureMessage kSetDialModeFailed{"Failed to set Dial Mode due to data server error '"};
inline constexpr FailureMessage kPerpetualDialFailed{"Failed Dial Modem due to data server error '"};

// Ring mode.
inline constexpr FailureMessage kRingModeProbeFailed{
    "Failed to determine if RLX supports Ring Mode due to data server error '"};
inline constexpr FailureMessage kDownloadRingModeFailed{
    "Failed to download Ring Mode Parameters due to data server error '"};

// Phonebook. The probe's report ends with its consequence instead of "'.".
inline constexpr FailureMessage kPhonebookProbeFailed{
    "Failed to determine RLX supports Phonebook functions due to data server error '", kErrorTitle,
    "'. Phonebook will not be created."};
inline constexpr FailureMessage kDownloadPhonebookFailed{
    "Failed to download Phonebook entries due to data server error '"};
inline constexpr FailureMessage kClearPhonebookFailed{"Failed to clear phonebook due to data server error '",
                                                      kPlugInTitle};
inline constexpr FailureMessage kResyncPhonebookFailed{"Failed to resync Phonebook due to data server error '"};

// Saving the explicit phonebook asks whether to update the database anyway:
// prefix + reply + "'" + carriage return + "Would you like to update Database?"
// (Yes/No, title "Error!").
inline constexpr FailureMessage kSavePhonebookFailed{"RLX Phonebook not updated due to data server error '",
                                                     kErrorTitle, "'\rWould you like to update Database?"};

}  // namespace device_protocol
