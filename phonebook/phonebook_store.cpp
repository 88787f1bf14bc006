#include "phonebook/phonebook_store.h"

#include <optional>

#include "device_protocol/failure_reports.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "platform/ui_services.h"

namespace phonebook {

namespace dp = device_protocol;

namespace {

void Report(QWidget* owner, const dp::FailureMessage& message, const QString& reply) {
  platform::msgBox(message.text(reply), platform::MsgButtons::Ok, message.titleText(), platform::MsgIcon::None, 0,
                   owner);
}

// The record of entry i, added (with empty fields) when it is missing.
ExplicitEntryRecord EnsureExplicitEntryRecord(lns::ExtensionRecords& records, int index) {
  const QString name = ExplicitEntryRecordName(index);
  if (!RecordExists(records, name))
    return ExplicitEntryRecord(records.Add(name));
  return ExplicitEntryRecord(records.Item(name));
}

ResyncMarker EnsureResyncMarker(lns::ExtensionRecords& records) {
  const QString name = QString::fromLatin1(kResyncMarkerName);
  if (!RecordExists(records, name))
    return ResyncMarker(records.Add(name));
  return ResyncMarker(records.Item(name));
}

void SetMarker(lns::ExtensionRecords& records, const QString& value) {
  RecordTransaction tx;
  ResyncMarker marker = EnsureResyncMarker(records);
  if (marker.Value() != value)
    marker.Set(value);
  tx.commit();
}

// The stored copy of entry i as a row; empty when the record is missing.
GridRow StoredExplicitRow(lns::ExtensionRecords& records, int index) {
  const QString name = ExplicitEntryRecordName(index);
  if (!RecordExists(records, name))
    return {};
  ExplicitEntryRecord record(records.Item(name));
  return {record.Number(), record.Description()};
}

GridRows EmptyRows(int count) { return GridRows(qMax(0, count)); }

qint32 ElementCount(const LonMarkDirectory& directory) {
  return directory.dialString ? directory.dialString->ElementCount() : 0;
}

// The description of entry i of the directory; "" when its record is missing.
QString StoredDescription(lns::ExtensionRecords& records, const LonMarkDirectory& directory, int index) {
  if (!RecordExists(records, directory.RecordName(index)))
    return QString();
  return FindDescriptionRecord(records, directory, index).Description();
}

}  // namespace

// --- Reading -------------------------------------------------------------------

GridRows LoadLonMarkRows(const lns::AppDevicePtr& device, const LonMarkDirectory& directory, QString* lastError,
                         QSet<int>* unreadNumbers) {
  const qint32 count = ElementCount(directory);
  GridRows rows = EmptyRows(count);
  if (unreadNumbers)
    unreadNumbers->clear();
  auto records = device->Extensions();
  for (qint32 i = 0; i < count; ++i) {
    try {
      rows[i].number = directory.dialString->Element(i);
    } catch (const lns::LnsError& e) {
      if (lastError)
        *lastError = e.description();
      if (unreadNumbers)
        unreadNumbers->insert(i);
    }
    try {
      rows[i].description = StoredDescription(*records, directory, i);
    } catch (const lns::LnsError& e) {
      if (lastError)
        *lastError = e.description();
    }
  }
  return rows;
}

GridRows LoadExplicitRows(const lns::AppDevicePtr& device, bool resetLoadedNumbers) {
  GridRows rows = EmptyRows(kExplicitEntryCount);
  auto records = device->Extensions();
  // Only a load that writes takes the database's write lock.
  std::optional<RecordTransaction> tx;
  if (resetLoadedNumbers)
    tx.emplace();
  for (int i = 0; i < kExplicitEntryCount; ++i) {
    const QString name = ExplicitEntryRecordName(i);
    if (!RecordExists(*records, name))
      continue;
    ExplicitEntryRecord record(records->Item(name));
    rows[i] = {record.Number(), record.Description()};
    if (resetLoadedNumbers && record.LoadedNumber() != rows[i].number)
      record.SetLoadedNumber(rows[i].number);
  }
  if (tx)
    tx->commit();
  return rows;
}

QString ResyncMarkerValue(const lns::AppDevicePtr& device) {
  auto records = device->Extensions();
  if (!RecordExists(*records, QString::fromLatin1(kResyncMarkerName)))
    return QString();
  return FindResyncMarker(*records).Value();
}

QList<PhonebookEntry> StoredExplicitEntries(const lns::AppDevicePtr& device) {
  QList<PhonebookEntry> entries;
  auto records = device->Extensions();
  for (int i = 0; i < kExplicitEntryCount; ++i) {
    const GridRow row = StoredExplicitRow(*records, i);
    if (!row.number.isEmpty())
      entries.append({i, row.number, row.description});
  }
  return entries;
}

QList<PhonebookEntry> StoredLonMarkEntries(const lns::AppDevicePtr& device, const LonMarkDirectory& directory) {
  QList<PhonebookEntry> entries;
  auto records = device->Extensions();
  const qint32 count = ElementCount(directory);
  for (qint32 i = 0; i < count; ++i) {
    const QString number = directory.dialString->Element(i);
    if (number.isEmpty())
      continue;
    entries.append({i, number, StoredDescription(*records, directory, i)});
  }
  return entries;
}

// --- Saving --------------------------------------------------------------------

QString SaveLonMark(const lns::AppDevicePtr& device, const LonMarkDirectory& directory, GridRows& rows,
                    const QSet<int>& unreadNumbers) {
  // An empty row whose number could not be read says nothing about the number.
  auto numberUnknown = [&](qsizetype i) { return rows.at(i).number.isEmpty() && unreadNumbers.contains(int(i)); };
  // A description needs a number.
  for (qsizetype i = 0; i < rows.size(); ++i)
    if (!rows.at(i).description.isEmpty() && rows.at(i).number.isEmpty() && !numberUnknown(i))
      rows[i].description.clear();

  QString lastError;
  std::shared_ptr<lns::ExtensionRecords> records;
  try {
    records = device->Extensions();
  } catch (const lns::LnsError& e) {
    return e.description();
  }
  for (qsizetype i = 0; i < rows.size(); ++i) {
    const GridRow& row = rows.at(i);
    const qint32 index = static_cast<qint32>(i);
    RecordTransaction tx;
    try {
      if (!numberUnknown(i) && (!row.number.isEmpty() || !directory.dialString->Element(index).isEmpty()))
        directory.dialString->SetElement(index, row.number);
    } catch (const lns::LnsError& e) {
      // The router does not hold the row's number: its description stays as
      // it was, and the row stays unsaved in the editor.
      lastError = e.description();
      continue;
    }
    try {
      const QString name = directory.RecordName(index);
      if (!RecordExists(*records, name)) {
        // Lost or never made: the description still has a place to go.
        if (!row.description.isEmpty())
          DescriptionRecord(records->Add(name)).SetDescription(row.description);
      } else {
        DescriptionRecord record = FindDescriptionRecord(*records, directory, index);
        if (!row.description.isEmpty() || !record.Description().isEmpty())
          record.SetDescription(row.description);
      }
    } catch (const lns::LnsError& e) {
      lastError = e.description();
    }
    try {
      tx.commit();
    } catch (const lns::LnsError& e) {
      lastError = e.description();
    }
  }
  return lastError;
}

namespace {

// Writes the row's number and description into the record the way every
// explicit save does; the row loses a description that has no number.
void WriteExplicitCopy(ExplicitEntryRecord& record, GridRow& row, bool deviceHasNumber) {
  RecordTransaction tx;
  if (record.Number() != row.number)
    record.SetNumber(row.number);
  if (deviceHasNumber && record.LoadedNumber() != row.number)
    record.SetLoadedNumber(row.number);
  if (!row.number.isEmpty()) {
    if (record.Description() != row.description)
      record.SetDescription(row.description);
  } else {
    if (!record.Description().isEmpty())
      record.SetDescription(QString());
    row.description.clear();
  }
  tx.commit();
}

}  // namespace

ExplicitSaveResult SaveExplicit(const lns::AppDevicePtr& device, GridRows& rows, const MessageSender& send,
                                QWidget* owner) {
  ExplicitSaveResult result;
  auto records = device->Extensions();
  // Before the first store the copy is marked out of sync, so that a save cut
  // short by a crash between a store and its record leaves the warning
  // behind; a save that completes puts the marker back as it was.
  bool markerRaised = false;
  QString markerBefore;
  const int count = static_cast<int>(qMin<qsizetype>(rows.size(), kExplicitEntryCount));
  for (int i = 0; i < count; ++i) {
    GridRow& row = rows[i];
    ExplicitEntryRecord record = EnsureExplicitEntryRecord(*records, i);
    bool stored = false;
    if (row.number != record.LoadedNumber() && !result.deviceSkipped) {
      if (!markerRaised) {
        markerBefore = EnsureResyncMarker(*records).Value();
        SetMarker(*records, QStringLiteral("1"));
        markerRaised = true;
      }
      const QString reply = send(dp::StoreEntry(i, row.number));
      if (dp::IsFailureReply(reply)) {
        const int answer = platform::msgBox(dp::kSavePhonebookFailed.text(reply), platform::MsgButtons::YesNo,
                                            dp::kSavePhonebookFailed.titleText(), platform::MsgIcon::None, 0, owner);
        if (answer != platform::IdYes) {
          row.number = record.Number();
          SetMarker(*records, QStringLiteral("1"));
          result.stopped = true;
          result.stoppedAt = i;
          // The failed row counts too: its number is the stored one again,
          // but a description typed beside it is not saved.
          for (int k = i; k < count && !result.unsavedRowsRemain; ++k)
            result.unsavedRowsRemain = rows.at(k) != StoredExplicitRow(*records, k);
          return result;
        }
        result.deviceSkipped = true;
      } else {
        stored = true;
      }
    }
    WriteExplicitCopy(record, row, stored);
  }
  if (result.deviceSkipped)
    SetMarker(*records, QStringLiteral("1"));
  else if (markerRaised)
    SetMarker(*records, markerBefore);
  return result;
}

void SaveExplicitDatabaseOnly(const lns::AppDevicePtr& device, GridRows& rows) {
  auto records = device->Extensions();
  const int count = static_cast<int>(qMin<qsizetype>(rows.size(), kExplicitEntryCount));
  for (int i = 0; i < count; ++i) {
    ExplicitEntryRecord record = EnsureExplicitEntryRecord(*records, i);
    WriteExplicitCopy(record, rows[i], false);
  }
  SetMarker(*records, QStringLiteral("1"));
}

// --- Clearing ------------------------------------------------------------------

bool ClearExplicit(const lns::AppDevicePtr& device, GridRows& rows, const MessageSender& send, QWidget* owner,
                   bool* anyErased) {
  auto records = device->Extensions();
  bool erased = false;
  bool complete = true;
  for (int i = 0; i < kExplicitEntryCount; ++i) {
    const QString name = ExplicitEntryRecordName(i);
    if (!RecordExists(*records, name))
      continue;
    ExplicitEntryRecord record(records->Item(name));
    if (record.Number().isEmpty())
      continue;
    const QString reply = send(dp::EraseEntry(i));
    if (dp::IsFailureReply(reply)) {
      Report(owner, dp::kClearPhonebookFailed, reply);
      complete = false;
      break;
    }
    RecordTransaction tx;
    record.SetNumber(QString());
    record.SetDescription(QString());
    record.SetLoadedNumber(QString());
    tx.commit();
    erased = true;
  }
  if (erased) {
    rows = EmptyRows(kExplicitEntryCount);
    if (!complete)
      for (int i = 0; i < kExplicitEntryCount; ++i)
        rows[i] = StoredExplicitRow(*records, i);
  }
  if (anyErased)
    *anyErased = erased;
  return complete;
}

void ClearLonMark(const lns::AppDevicePtr& device, const LonMarkDirectory& directory, GridRows& rows, QWidget* owner,
                  QSet<int>* unreadNumbers) {
  if (unreadNumbers)
    unreadNumbers->clear();
  QString lastError;
  const qint32 count = ElementCount(directory);
  std::shared_ptr<lns::ExtensionRecords> records;
  try {
    records = device->Extensions();
  } catch (const lns::LnsError& e) {
    lastError = e.description();
  }
  for (qint32 i = 0; records && i < count; ++i) {
    try {
      if (directory.dialString->Element(i).isEmpty())
        continue;
    } catch (const lns::LnsError& e) {
      lastError = e.description();
      continue;
    }
    // Each step is trapped on its own and what succeeded is kept.
    RecordTransaction tx;
    try {
      directory.dialString->SetElement(i, QString());
    } catch (const lns::LnsError& e) {
      lastError = e.description();
    }
    try {
      if (RecordExists(*records, directory.RecordName(i)))
        FindDescriptionRecord(*records, directory, i).SetDescription(QString());
    } catch (const lns::LnsError& e) {
      lastError = e.description();
    }
    try {
      tx.commit();
    } catch (const lns::LnsError& e) {
      lastError = e.description();
    }
  }
  if (lastError.isEmpty()) {
    rows = EmptyRows(count);
    return;
  }
  platform::msgBox(lastError, platform::MsgButtons::Ok, QString::fromLatin1(dp::kPlugInTitle), platform::MsgIcon::None,
                   0, owner);
  // Show what is stored now rather than an empty grid that a later save
  // would write over the entries that are still there.
  rows = LoadLonMarkRows(device, directory, nullptr, unreadNumbers);
}

// --- Resynchronising -------------------------------------------------------------

bool ResyncFromDatabase(const lns::AppDevicePtr& device, GridRows& rows, const MessageSender& send, QWidget* owner) {
  auto records = device->Extensions();
  rows = EmptyRows(kExplicitEntryCount);
  for (int i = 0; i < kExplicitEntryCount; ++i) {
    ExplicitEntryRecord record = EnsureExplicitEntryRecord(*records, i);
    const QString number = record.Number();
    const QString reply = send(dp::StoreEntryResync(i, number));
    if (dp::IsFailureReply(reply)) {
      Report(owner, dp::kResyncPhonebookFailed, reply);
      for (int k = i; k < kExplicitEntryCount; ++k)
        rows[k] = StoredExplicitRow(*records, k);
      return false;
    }
    rows[i] = {number, record.Description()};
    if (record.LoadedNumber() != number) {
      RecordTransaction tx;
      record.SetLoadedNumber(number);
      tx.commit();
    }
  }
  SetMarker(*records, QStringLiteral("0"));
  return true;
}

bool ResyncFromDevice(const lns::AppDevicePtr& device, GridRows& rows, const MessageSender& send, QWidget* owner) {
  auto records = device->Extensions();
  rows = EmptyRows(kExplicitEntryCount);
  for (int i = 0; i < kExplicitEntryCount; ++i) {
    const QString reply = send(dp::ReadEntry(i));
    if (dp::IsFailureReply(reply)) {
      Report(owner, dp::kResyncPhonebookFailed, reply);
      for (int k = i; k < kExplicitEntryCount; ++k)
        rows[k] = StoredExplicitRow(*records, k);
      // The entries read so far lost their descriptions and the rest were
      // not read: the copy is not in step with the device.
      if (i > 0)
        SetMarker(*records, QStringLiteral("1"));
      return false;
    }
    const QString number = dp::PhonebookNumberFromReply(reply);
    ExplicitEntryRecord record = EnsureExplicitEntryRecord(*records, i);
    RecordTransaction tx;
    record.SetNumber(number);
    record.SetLoadedNumber(number);
    record.SetDescription(QString());
    tx.commit();
    rows[i] = {number, QString()};
  }
  SetMarker(*records, QStringLiteral("0"));
  return true;
}

// --- Creation --------------------------------------------------------------------

void CreateDescriptionRecordsWith(const lns::AppDevicePtr& device, int count, const LonMarkDirectory& directory,
                                  const Progress& progress) {
  if (progress)
    progress(0, count);
  auto records = device->Extensions();
  for (int i = 0; i < count; ++i) {
    if (progress)
      progress(i + 1, count);
    const QString name = directory.RecordName(i);
    // A record is added with empty fields; one that exists keeps its text.
    if (!RecordExists(*records, name))
      records->Add(name);
  }
}

DownloadResult FirstDownload(QWidget* owner, const lns::AppDevicePtr& device, const MessageSender& send,
                             const Progress& progress) {
  auto records = device->Extensions();
  if (RecordExists(*records, ExplicitEntryRecordName(0))) {
    RecordTransaction tx;
    EnsureResyncMarker(*records);
    tx.commit();
    return DownloadResult::RecordsExisted;
  }
  QStringList numbers;
  bool complete = true;
  if (progress)
    progress(0, kExplicitEntryCount);
  for (int i = 0; i < kExplicitEntryCount; ++i) {
    if (progress)
      progress(i + 1, kExplicitEntryCount);
    const QString reply = send(dp::ReadEntry(i));
    if (dp::IsFailureReply(reply)) {
      Report(owner, dp::kDownloadPhonebookFailed, reply);
      complete = false;
      break;
    }
    numbers << dp::PhonebookNumberFromReply(reply);
  }
  RecordTransaction tx;
  for (int i = 0; i < kExplicitEntryCount; ++i) {
    ExplicitEntryRecord record = EnsureExplicitEntryRecord(*records, i);
    if (i < numbers.size() && !numbers.at(i).isEmpty()) {
      record.SetNumber(numbers.at(i));
      record.SetLoadedNumber(numbers.at(i));
    }
  }
  ResyncMarker marker = EnsureResyncMarker(*records);
  if (!complete)
    marker.Set(QStringLiteral("1"));
  tx.commit();
  return complete ? DownloadResult::Complete : DownloadResult::Stopped;
}

void EnsureExplicitRecords(const lns::AppDevicePtr& device) {
  auto records = device->Extensions();
  RecordTransaction tx;
  const bool made = !RecordExists(*records, ExplicitEntryRecordName(0));
  if (made)
    for (int i = 0; i < kExplicitEntryCount; ++i)
      EnsureExplicitEntryRecord(*records, i);
  ResyncMarker marker = EnsureResyncMarker(*records);
  // Records made without the device hold none of its entries: the copy is
  // out of step until a resynchronisation, and the editor says so.
  if (made)
    marker.Set(QStringLiteral("1"));
  tx.commit();
}

// --- Phone lists -------------------------------------------------------------------

QStringList PhoneListLonMark(const lns::AppDevicePtr& device, const LonMarkDirectory& directory) {
  QStringList lines;
  auto records = device->Extensions();
  const qint32 count = ElementCount(directory);
  for (qint32 i = 0; i < count; ++i) {
    QString description;
    try {
      description = StoredDescription(*records, directory, i);
    } catch (const lns::LnsError&) {
      // An unreadable description: the number names the entry.
    }
    if (!description.isEmpty()) {
      lines << description;
      continue;
    }
    try {
      const QString number = directory.dialString->Element(i);
      if (!number.isEmpty())
        lines << number;
    } catch (const lns::LnsError&) {
      // A number that cannot be read now is left out of the list.
    }
  }
  return lines;
}

QStringList PhoneListExplicit(const lns::AppDevicePtr& device) {
  QStringList lines;
  for (const PhonebookEntry& e : StoredExplicitEntries(device))
    lines << (e.description.isEmpty() ? e.number : e.description);
  return lines;
}

}  // namespace phonebook
