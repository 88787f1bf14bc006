#include "device_protocol/failure_reports.h"

namespace device_protocol {

const FailureMessage& CheckModemStatusFailed(Modem m) {
  switch (m) {
    case Modem::Internal: return kCheckInternalModemFailed;
    case Modem::External1: return kCheckExternalModem1Failed;
    case Modem::External2: return kCheckExternalModem2Failed;
  }
  return kCheckInternalModemFailed;
}

const FailureMessage& SetModemAutoAnswerFailed(Modem m) {
  switch (m) {
    case Modem::Internal: return kSetInternalModemAutoAnswerFailed;
    case Modem::External1: return kSetExternalModem1AutoAnswerFailed;
    case Modem::External2: return kSetExternalModem2AutoAnswerFailed;
  }
  return kSetInternalModemAutoAnswerFailed;
}

}  // namespace device_protocol
