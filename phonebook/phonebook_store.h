#pragma once
// The phonebook's storage operations: moving entries between the editor's
// rows, the network database and the device. The editor window and the main
// windows' start-up call these; they neither know nor touch widgets beyond
// the message boxes and the progress window they show.
//
// Crash safety: the database changes that belong to one entry are made in one
// Object Server transaction, so an interrupted operation leaves each record
// either as it was or as it was meant to be. No transaction is ever held
// while a message goes to the device.
//
// The LoadedNumber of an explicit entry is kept as the number the device is
// known to hold: it is set when the device is read, stored to, or emptied.
// A save sends an entry whose row differs from it, and writes the database
// copy whenever the row differs from that copy.

#include <QSet>
#include <QString>
#include <functional>

#include "host/lns/lns.h"
#include "phonebook/phonebook_model.h"

class QWidget;

namespace phonebook {

// Sends one request to the device and returns the reply text, "Message Failed"
// or "Message Timeout".
using MessageSender = std::function<QString(const QString& request)>;

// --- Reading the stored phonebook ----------------------------------------

// LonMark family: the numbers are the elements of the directory's dial-string
// property, the descriptions its DescriptionRecords. A read that fails leaves
// its cell empty; the text of the last error is put into *lastError, and the
// entries whose number could not be read into *unreadNumbers.
GridRows LoadLonMarkRows(const lns::AppDevicePtr& device, const LonMarkDirectory& directory,
                         QString* lastError = nullptr, QSet<int>* unreadNumbers = nullptr);

// Explicit family: field 1 and field 2 of the 64 ExplicitEntryRecords (a
// missing record reads as an empty entry). With resetLoadedNumbers, every
// record's LoadedNumber becomes its number (the editor's opening from the
// main window), all in one transaction.
GridRows LoadExplicitRows(const lns::AppDevicePtr& device, bool resetLoadedNumbers);

// The ResyncMarker's value; "" when the marker is missing.
QString ResyncMarkerValue(const lns::AppDevicePtr& device);

// The used entries (non-empty number) in ascending index, as the listing and
// the phone lists see them.
QList<PhonebookEntry> StoredExplicitEntries(const lns::AppDevicePtr& device);
QList<PhonebookEntry> StoredLonMarkEntries(const lns::AppDevicePtr& device, const LonMarkDirectory& directory);

// --- Saving --------------------------------------------------------------

// LonMark family. Rows with a description but no number lose the
// description. For every row the element is written when the row or the
// element holds a number, then the description when the row or the record
// holds one (a missing record is added); when the element could not be
// written (the router did not answer), the entry's description is left as it
// is, so that none is stored for a number the router does not hold. Errors
// are trapped and the remaining rows still attempted; returns the text of the
// last error ("" when none).
// An entry of unreadNumbers whose row is still empty shows no number because
// it could not be read, not because the operator emptied it: its element is
// left as it is and its description kept.
QString SaveLonMark(const lns::AppDevicePtr& device, const LonMarkDirectory& directory, GridRows& rows,
                    const QSet<int>& unreadNumbers = {});

struct ExplicitSaveResult {
  bool stopped = false;            // the operator answered No after a failed store
  int stoppedAt = -1;              // the entry whose store failed
  bool unsavedRowsRemain = false;  // rows from stoppedAt on differ from what is stored
  bool deviceSkipped = false;      // the operator answered Yes: later entries went to the database only
};

// Explicit family, device and database. On a failed store the operator is
// asked whether to update the database anyway: No puts the stored number back
// into the row, marks the copy out of sync and stops; Yes goes on with the
// database only and marks the copy out of sync at the end.
ExplicitSaveResult SaveExplicit(const lns::AppDevicePtr& device, GridRows& rows, const MessageSender& send,
                                QWidget* owner = nullptr);

// Explicit family, database only: writes the changed numbers and the
// descriptions, then marks the copy out of sync ("1").
void SaveExplicitDatabaseOnly(const lns::AppDevicePtr& device, GridRows& rows);

// --- Clearing ------------------------------------------------------------

// Explicit family: erases every stored entry on the device and empties its
// record. Stops at the first failed erase, reported to the operator. rows
// is rebuilt: empty when all went, otherwise from the stored copy, so the
// grid never shows an entry as empty that the device still holds.
// Returns true when every entry went; *anyErased tells whether rows changed.
bool ClearExplicit(const lns::AppDevicePtr& device, GridRows& rows, const MessageSender& send, QWidget* owner = nullptr,
                   bool* anyErased = nullptr);

// LonMark family: empties every used element and its description. Errors are
// trapped and reported once at the end; rows is rebuilt empty, or from the
// stored values when something could not be cleared (*unreadNumbers then
// says which numbers could not be read).
void ClearLonMark(const lns::AppDevicePtr& device, const LonMarkDirectory& directory, GridRows& rows,
                  QWidget* owner = nullptr, QSet<int>* unreadNumbers = nullptr);

// --- Resynchronising (explicit family) -----------------------------------

// Stores every database entry on the device. On a failure (reported) the
// entries not yet done show their stored copy. The marker becomes "0" when
// all 64 went. Returns true then.
bool ResyncFromDatabase(const lns::AppDevicePtr& device, GridRows& rows, const MessageSender& send,
                        QWidget* owner = nullptr);

// Reads every entry from the device into the database, dropping the
// descriptions. On a failure (reported) the entries not yet done show their
// stored copy, and when some entries were already rewritten the marker
// becomes "1" (their descriptions are gone while others were not read). The
// marker becomes "0" when all 64 were read.
bool ResyncFromDevice(const lns::AppDevicePtr& device, GridRows& rows, const MessageSender& send,
                      QWidget* owner = nullptr);

// --- Creation of the stored records --------------------------------------

// How a long operation reports its steps: progress(0, total) as it starts,
// progress(n, total) as it takes up step n of 1..total. The windows turn it
// into the progress window; without one, nothing is reported.
using Progress = std::function<void(int step, int total)>;

// LonMark family: a DescriptionRecord of the directory with an empty
// description for every element. Existing records are kept.
void CreateDescriptionRecordsWith(const lns::AppDevicePtr& device, int count, const LonMarkDirectory& directory = {},
                                  const Progress& progress = {});

enum class DownloadResult { Complete, Stopped, RecordsExisted };

// Explicit family, first sight of a device with a phonebook: reads the 64
// entries (reporting each to progress) and creates their records, all records in one
// transaction after the reading, so an interrupted download is tried again
// the next time. A failed read is reported and stops the reading; the entries
// read so far are kept and the marker says "1" (the copy is incomplete).
// Also makes sure the ResyncMarker exists.
DownloadResult FirstDownload(QWidget* owner, const lns::AppDevicePtr& device, const MessageSender& send,
                             const Progress& progress = {});

// The 64 records and the marker exist afterwards (fields empty when new).
// Records made here, without the device, mark the copy out of step ("1").
void EnsureExplicitRecords(const lns::AppDevicePtr& device);

// --- Phone lists -----------------------------------------------------------

// The lines of a main window's phone list: one per used entry, in index order,
// the description when there is one, otherwise the number.
QStringList PhoneListLonMark(const lns::AppDevicePtr& device, const LonMarkDirectory& directory);
QStringList PhoneListExplicit(const lns::AppDevicePtr& device);

}  // namespace phonebook
