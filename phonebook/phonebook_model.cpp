#include "phonebook/phonebook_model.h"

#include "host/mmain.h"

namespace phonebook {

QString DescriptionRecordName(int index) { return LonMarkDirectory().RecordName(index); }

QString DescriptionRecordPrefix(const QString& directoryObjectName) {
  const QString legacy = QString::fromLatin1(kDescriptionRecordPrefix);
  if (directoryObjectName.isEmpty() || directoryObjectName == MMain.DeviceLevelObjectName)
    return legacy;
  const qsizetype hash = directoryObjectName.lastIndexOf(QLatin1String(" #"));
  bool numbered = false;
  const int number = hash < 0 ? 0 : directoryObjectName.mid(hash + 2).toInt(&numbered);
  if (numbered && number == 1)
    return legacy;
  // The separator keeps "ZevPhoneBook2_3" apart from Directory #1's "ZevPhoneBook23".
  return legacy + (numbered && number > 1 ? QString::number(number) : directoryObjectName) + u'_';
}

LonMarkDirectory DirectoryOf(const lns::LonMarkObjectPtr& object, lns::ConfigPropertyPtr dialString) {
  QString name;
  try {
    if (object)
      name = object->Name();
  } catch (const lns::LnsError&) {
    // Unnamed: the device's phonebook object.
  }
  return LonMarkDirectory(std::move(dialString), DescriptionRecordPrefix(name));
}

QString ExplicitEntryRecordName(int index) { return QStringLiteral("ZevExplicitPhonebook") + QString::number(index); }

DescriptionRecord FindDescriptionRecord(lns::ExtensionRecords& records, const LonMarkDirectory& directory, int index) {
  return DescriptionRecord(records.Item(directory.RecordName(index)));
}

ExplicitEntryRecord FindExplicitEntryRecord(lns::ExtensionRecords& records, int index) {
  return ExplicitEntryRecord(records.Item(ExplicitEntryRecordName(index)));
}

ResyncMarker FindResyncMarker(lns::ExtensionRecords& records) {
  return ResyncMarker(records.Item(QString::fromLatin1(kResyncMarkerName)));
}

bool RecordExists(lns::ExtensionRecords& records, const QString& name) {
  try {
    records.Item(name);
    return true;
  } catch (const lns::LnsError& e) {
    if (e.number() == lns::kErrNotFound)
      return false;
    throw;
  }
}

// --- RecordTransaction ------------------------------------------------------

RecordTransaction::RecordTransaction(lns::ObjectServer* server) : server_(server) {
  if (!server_)
    return;
  try {
    server_->StartTransaction();
    active_ = true;
  } catch (const lns::LnsError&) {
    // Already inside a transaction (the changes join it), or the server
    // cannot keep one: the changes are made one by one.
  }
}

RecordTransaction::RecordTransaction() : RecordTransaction(MMain.ObjectServer.get()) {}

RecordTransaction::~RecordTransaction() {
  if (!active_)
    return;
  try {
    server_->CancelTransaction();
  } catch (const lns::LnsError&) {
    // Nothing more can be done; the server drops it when it closes.
  }
}

void RecordTransaction::commit() {
  if (!active_)
    return;
  active_ = false;
  server_->CommitTransaction();
}

// --- Validation ---------------------------------------------------------------

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Characters a dial string may hold after its first character.
bool isDialSymbol(QChar c) {
  switch (c.unicode()) {
    case u'*':
    case u'#':
    case u',':
    case u'W':
    case u'w':
    case u'!':
    case u' ':
    case u'-':
    case u'(':
    case u')': return true;
    default: return false;
  }
}

bool validAt(QChar c, qsizetype position) {
  if (isDigit(c) || isDialSymbol(c))
    return true;
  return position == 0 && (c == u'P' || c == u'p');
}

}  // namespace

Verdict ValidateNumber(const QString& text) {
  using A = Verdict::Action;
  if (text.size() > kMaxNumberLength)
    return {A::RestoreBeep};
  if (text.isEmpty())
    return {A::Accept};
  if (text.size() == 1)
    return {validAt(text.front(), 0) ? A::Accept : A::EmptyRefuse};
  for (qsizetype i = 0; i < text.size(); ++i)
    if (!validAt(text.at(i), i))
      return {A::Refuse};
  return {A::Accept};
}

bool IsValidNumber(const QString& text) { return ValidateNumber(text).action == Verdict::Action::Accept; }

Verdict ValidateDescription(const QString& text) {
  using A = Verdict::Action;
  if (text.size() > kMaxDescriptionLength)
    return {A::Refuse};
  for (QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
      return {A::Refuse};
  return {A::Accept};
}

}  // namespace phonebook
