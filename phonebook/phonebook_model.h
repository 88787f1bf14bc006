#pragma once
// The phonebook's data model: what an entry is, the extension records that
// hold it in the network database, the limits and the validation of what the
// operator types.
//
// Where an entry lives:
//   LonMark family: the number is element i of a directory object's
//     UCPT_DialString property (on the device); the description is field 1 of
//     a DescriptionRecord, an extension record of the device. Each directory
//     object has records of its own: "ZevPhoneBook<i>" for Directory #1 (the
//     device's phonebook object, which the main window dials from, and the
//     only form older databases hold), "ZevPhoneBook<n>_<i>" for directory
//     number n of 2 or more ("ZevPhoneBook2_5": entry 5 of Directory #2).
//   Explicit family (entries 0 to 63): the number is on the device, reached by
//     explicit messages; the database copy is the record
//     "ZevExplicitPhonebook<i>" (ExplicitEntryRecord): field 1 the number,
//     field 2 the description, field 3 LoadedNumber, the number as it stood
//     when the editor was opened or the device was read. The record
//     "ZevExplicitResync" (ResyncMarker) says in field 1 whether the copy may
//     differ from the device: "1" yes, "0" no, "" just created.

#include <QList>
#include <QString>
#include <functional>

#include "host/lns/lns.h"

namespace phonebook {

inline constexpr int kExplicitEntryCount = 64;
inline constexpr int kMaxNumberLength = 30;
inline constexpr int kMaxDescriptionLength = 64;

inline constexpr char kResyncMarkerName[] = "ZevExplicitResync";

QString DescriptionRecordName(int index);    // "ZevPhoneBook12": Directory #1
QString ExplicitEntryRecordName(int index);  // "ZevExplicitPhonebook12"

// Directory #1's description records begin with this; those of another
// directory object with kDescriptionRecordPrefix + its number + "_".
inline constexpr char kDescriptionRecordPrefix[] = "ZevPhoneBook";

// One directory object's phonebook as the LonMark family keeps it: the
// numbers are the elements of its UCPT_DialString property, the descriptions
// the device's records recordPrefix + index. Made from the property alone it
// is Directory #1's.
struct LonMarkDirectory {
  LonMarkDirectory(lns::ConfigPropertyPtr numbers = nullptr,  // NOLINT: implicit on purpose
                   QString prefix = QString::fromLatin1(kDescriptionRecordPrefix))
      : dialString(std::move(numbers)), recordPrefix(std::move(prefix)) {}
  LonMarkDirectory(std::nullptr_t) : LonMarkDirectory(lns::ConfigPropertyPtr()) {}  // NOLINT
  QString RecordName(int index) const { return recordPrefix + QString::number(index); }

  lns::ConfigPropertyPtr dialString;
  QString recordPrefix;
};

// The description record prefix of the directory object of that name: the
// device's phonebook object (MMain.DeviceLevelObjectName) and any name ending
// in " #1" keep "ZevPhoneBook"; a name ending in " #<n>" gives
// "ZevPhoneBook<n>_"; any other name "ZevPhoneBook<name>_".
QString DescriptionRecordPrefix(const QString& directoryObjectName);
// The directory of a LonMark object: its UCPT_DialString and its records.
// An object whose name cannot be read is taken for Directory #1.
LonMarkDirectory DirectoryOf(const lns::LonMarkObjectPtr& object, lns::ConfigPropertyPtr dialString);

struct PhonebookEntry {
  int index = 0;
  QString number;
  QString description;
  friend bool operator==(const PhonebookEntry&, const PhonebookEntry&) = default;
};

// One row of the editor's grid as the storage operations see it: entry i is
// row i + 1 of the grid, rows[i] here.
struct GridRow {
  QString number;
  QString description;
  friend bool operator==(const GridRow&, const GridRow&) = default;
};
using GridRows = QList<GridRow>;

// --- Records -------------------------------------------------------------

class DescriptionRecord {
 public:
  explicit DescriptionRecord(lns::ExtensionRecordPtr record) : record_(std::move(record)) {}
  QString Description() const { return record_->Field(1); }
  void SetDescription(const QString& text) const { record_->SetField(1, text); }

 private:
  lns::ExtensionRecordPtr record_;
};

class ExplicitEntryRecord {
 public:
  explicit ExplicitEntryRecord(lns::ExtensionRecordPtr record) : record_(std::move(record)) {}
  QString Number() const { return record_->Field(1); }
  void SetNumber(const QString& text) const { record_->SetField(1, text); }
  QString Description() const { return record_->Field(2); }
  void SetDescription(const QString& text) const { record_->SetField(2, text); }
  QString LoadedNumber() const { return record_->Field(3); }
  void SetLoadedNumber(const QString& text) const { record_->SetField(3, text); }

 private:
  lns::ExtensionRecordPtr record_;
};

class ResyncMarker {
 public:
  explicit ResyncMarker(lns::ExtensionRecordPtr record) : record_(std::move(record)) {}
  QString Value() const { return record_->Field(1); }
  void Set(const QString& value) const { record_->SetField(1, value); }

 private:
  lns::ExtensionRecordPtr record_;
};

// Lookups by name; each throws lns::LnsError (kErrNotFound when missing).
DescriptionRecord FindDescriptionRecord(lns::ExtensionRecords& records, const LonMarkDirectory& directory, int index);
ExplicitEntryRecord FindExplicitEntryRecord(lns::ExtensionRecords& records, int index);
ResyncMarker FindResyncMarker(lns::ExtensionRecords& records);

// True when the lookup of that name finds a record; false when it is missing.
// Other failures (the database cannot be read) are thrown.
bool RecordExists(lns::ExtensionRecords& records, const QString& name);

// --- Transactions --------------------------------------------------------

// Keeps a group of database changes together through the Object Server's
// transactions: started on construction, committed by commit(), cancelled
// when it goes without a commit. Without an Object Server (or one that
// cannot start a transaction) the changes are made one by one.
class RecordTransaction {
 public:
  explicit RecordTransaction(lns::ObjectServer* server);
  // The process-wide Object Server (MMain.ObjectServer).
  RecordTransaction();
  ~RecordTransaction();
  RecordTransaction(const RecordTransaction&) = delete;
  RecordTransaction& operator=(const RecordTransaction&) = delete;
  void commit();

 private:
  lns::ObjectServer* server_ = nullptr;
  bool active_ = false;
};

// --- Validation ----------------------------------------------------------

// What validation decided about a text the operator typed into a cell.
struct Verdict {
  enum class Action {
    Accept,       // the text stands; it becomes the last valid text
    RestoreBeep,  // too long: the last valid text comes back, caret at the end, beep
    Refuse,       // the last valid text comes back, caret at the end; refused
    EmptyRefuse,  // a single invalid character: the cell empties, caret at 0; refused
  };
  Action action = Action::Accept;
  friend bool operator==(const Verdict&, const Verdict&) = default;
};

// A dial string: at most 30 characters; digits anywhere; "P" or "p" only as
// the first character; also "*", "#", ",", "W", "w", "!", blank, "-", "(", ")".
// Every character is checked (not only the last one typed), so a character
// typed or pasted into the middle cannot slip past.
Verdict ValidateNumber(const QString& text);
// A description: at most 64 printable characters (no control characters such
// as a pasted tab, which would break the listing's columns).
Verdict ValidateDescription(const QString& text);
bool IsValidNumber(const QString& text);

}  // namespace phonebook
