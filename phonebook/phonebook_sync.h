#pragma once
// Phonebook work that the main windows start: creating the stored records the
// first time a device is seen, the explicit family's phonebook probe and first
// download, the records kept while the device cannot be reached, and filling a
// main window's phone list from the phonebook.
//
// Records (extension records of the device):
//   LonMark family:  "ZevPhoneBook<i>" field 1 = description of entry i of
//                    Directory #1 ("ZevPhoneBook<n>_<i>" of directory n); the
//                    numbers are the elements of the directory's UCPT_DialString.
//   explicit family: "ZevExplicitPhonebook<i>" (i = 0..63) field 1 = number,
//                    field 2 = description, field 3 = LoadedNumber;
//                    "ZevExplicitResync" field 1 = the resync marker.

#include <QString>
#include <functional>

#include "host/lns/lns.h"
#include "phonebook/phonebook_model.h"

class QComboBox;
class QWidget;

namespace window_support {
class DeviceLink;
}

namespace phonebook {

// LonMark family: adds the directory's description record for every element
// of its dial-string property, with an empty first field, showing the
// progress window.
void CreateDescriptionRecords(QWidget* owner, const lns::AppDevicePtr& device, const LonMarkDirectory& directory);

enum class ProbeResult {
  Failed,       // the probe message failed (reported to the operator)
  NoPhonebook,  // the device answered "2"
  Supported,    // the device has a phonebook (records made and downloaded if missing)
};

// Explicit family, at the main window's start-up: sends the phonebook probe,
// reports a failure, downloads the phonebook into new records the first time,
// and makes sure the resync marker exists.
ProbeResult PhonebookProbeAndDownload(QWidget* owner, window_support::DeviceLink& link,
                                      const lns::AppDevicePtr& device);
// The same with any way of sending a request (the tests' devices).
ProbeResult PhonebookProbeAndDownloadWith(QWidget* owner, const std::function<QString(const QString&)>& send,
                                          const lns::AppDevicePtr& device);

// Explicit family, when the window goes on without the device or finds the
// system off-net: the 64 records and the marker exist afterwards; records
// made here mark the copy out of step with the device.
void OfflineRecordCreation(const lns::AppDevicePtr& device);

// True while explicit-family saves go to the database only: the system is
// off-net, or the operator chose to go on without the device.
bool DatabaseOnlySave();

// The main windows' phone lists. The LonMark form empties the list first;
// the explicit form appends (its caller empties the list).
void FillPhoneListLonMark(QComboBox* combo, const lns::AppDevicePtr& device, const LonMarkDirectory& directory);
void FillPhoneListExplicit(QComboBox* combo, const lns::AppDevicePtr& device);

}  // namespace phonebook
