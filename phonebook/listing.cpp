#include "phonebook/listing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPrinter>

#include "host/cregistry.h"
#include "host/registration.h"
#include "phonebook/phonebook_store.h"
#include "platform/safe_file.h"
#include "platform/ui_services.h"
#include "platform/win_path.h"

namespace phonebook {

namespace {

constexpr int kNumberField = 32;

QString NameOrEmpty(const lns::AppDevicePtr& device) {
  try {
    return device ? device->Name() : QString();
  } catch (const lns::LnsError&) {
    return QString();
  }
}

QFont ListingFont(const ListingLine& line) {
  QFont font(QStringLiteral("Courier"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(line.pointSize);
  font.setBold(line.bold);
  font.setUnderline(line.underline);
  return font;
}

}  // namespace

QString EntryLine(int index, const QString& number, const QString& description) {
  const int pad = qMax(1, kNumberField - static_cast<int>(number.size()));
  return u' ' + QString::number(index).rightJustified(2, u' ') + u'\t' + number + QString(pad, u' ') + description;
}

QList<ListingLine> BuildListing(const ListingSource& source, ListingForm form, const QDateTime& now) {
  const bool printer = form == ListingForm::Printer;
  QList<ListingLine> out;
  ListingLine style;  // the printer form's font; the file form keeps the default
  auto add = [&](const QString& text) {
    ListingLine line = printer ? style : ListingLine{};
    line.text = text;
    out.append(line);
  };
  const QString blank = QStringLiteral(" ");

  if (printer) {
    style = {QString(), 12, true, false};
    add(blank);
  }
  const QString heading = QStringLiteral("ZEV PHONEBOOK\t");
  if (source.explicitFamily) {
    add(heading + QStringLiteral("Device: ") + NameOrEmpty(source.device));
  } else {
    QString name;
    bool named = false;
    try {
      if (source.headingObject) {
        name = source.headingObject->Name();
        named = true;
      }
    } catch (const lns::LnsError&) {
    }
    add(heading + QStringLiteral("Object: ") + name);
    if (!named)
      add(heading + QStringLiteral("Device: ") + NameOrEmpty(source.device));
  }
  if (printer) {
    add(blank);
    add(blank);
    style = {QString(), 10, false, true};
  } else {
    add(QString());
  }
  add(QStringLiteral("Index\tNumber\t\t\t\tDescription"));
  if (printer) {
    style.underline = false;
    add(blank);
  } else {
    add(QString());
  }

  const QList<PhonebookEntry> entries = source.explicitFamily ? StoredExplicitEntries(source.device)
                                                              : StoredLonMarkEntries(source.device, source.directory);
  for (const PhonebookEntry& e : entries) {
    add(EntryLine(e.index, e.number, e.description));
    if (printer)
      add(blank);
  }

  for (int i = 0, n = printer ? 2 : 3; i < n; ++i)
    add(blank);
  const QLocale locale = QLocale::system();
  add(locale.toString(now.time(), QLocale::ShortFormat) + u' ' + locale.toString(now.date(), QLocale::ShortFormat));
  return out;
}

QStringList ListingText(const QList<ListingLine>& lines) {
  QStringList out;
  for (const ListingLine& l : lines)
    out << l.text;
  return out;
}

ListingTarget ResolveListingTarget() {
  ListingTarget target;
  const QString path = CRegistry().MachineSetting(QString::fromLatin1(kInstallKey), QStringLiteral("Path"));
  if (!path.trimmed().isEmpty()) {
    target.folder = platform::WinPath::resolve(path);
    target.fromRegistry = true;
    return target;
  }
  // No installation directory: the program's own folder, when it can be
  // written, rather than the root of the file system; else a folder of the
  // user's own in the temporary folder, never a fixed name in the shared one
  // (another local user could have planted a link there).
  const QString program = registration::ProgramFolder();
  const QFileInfo info(program);
  target.folder =
      !program.isEmpty() && info.isDir() && info.isWritable() ? program : platform::PrivateTemporaryFolder();
  return target;
}

QString PrintToFile(const ListingSource& source, QWidget* owner, const QDateTime& now) {
  QList<ListingLine> lines;
  try {
    lines = BuildListing(source, ListingForm::File, now);
  } catch (const lns::LnsError& e) {
    platform::msgBox(e.description(), platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0,
                     owner);
    return QString();
  }
  QByteArray text;
  for (const ListingLine& line : lines)
    text += line.text.toUtf8() + '\n';
  ListingTarget target = ResolveListingTarget();
  QString path = target.folder + u'/' + QLatin1String(kListingFileName);
  // Written whole through a temporary file renamed over the old listing: a
  // full disk leaves the previous listing, not half a new one.
  QString why;
  bool written = !target.folder.isEmpty() && platform::WriteFileAtomically(path, text, &why);
  if (!written && !target.fromRegistry) {
    const QString privateFolder = platform::PrivateTemporaryFolder(&why);
    if (!privateFolder.isEmpty() && privateFolder != target.folder) {
      target.folder = privateFolder;
      path = target.folder + u'/' + QLatin1String(kListingFileName);
      written = platform::WriteFileAtomically(path, text, &why);
    }
  }
  if (!written) {
    platform::msgBox(QStringLiteral("The phonebook listing cannot be written to \"%1\": %2")
                         .arg(QDir::toNativeSeparators(path), why),
                     platform::MsgButtons::Ok, QStringLiteral("RLX_Plug"), platform::MsgIcon::None, 0, owner);
    return QString();
  }
  // The shell's answer is not examined: the file stays where it is either way.
  platform::ui().openDocument(QString::fromLatin1(kListingFileName), target.folder);
  return path;
}

QString ExpandTabs(const QString& text, int tabSize) {
  QString out;
  out.reserve(text.size() + 16);
  for (QChar c : text) {
    if (c == u'\t') {
      const int spaces = tabSize - static_cast<int>(out.size() % tabSize);
      out.append(QString(spaces, u' '));
    } else {
      out.append(c);
    }
  }
  return out;
}

bool RenderListing(QPrinter& printer, const QList<ListingLine>& lines, int copies, QString* error) {
  const bool driverCopies = printer.supportsMultipleCopies();
  printer.setCopyCount(qMax(1, copies));
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error)
      *error = QStringLiteral("The printer cannot be reached");
    return false;
  }
  const QRectF page =
      printer.pageRect(QPrinter::DevicePixel).translated(-printer.pageRect(QPrinter::DevicePixel).topLeft());
  const int passes = driverCopies ? 1 : qMax(1, copies);
  for (int pass = 0; pass < passes; ++pass) {
    if (pass > 0)
      printer.newPage();
    qreal y = 0;
    for (const ListingLine& line : lines) {
      const QFont font = ListingFont(line);
      painter.setFont(font);
      const QFontMetricsF metrics(font, &printer);
      if (y > 0 && y + metrics.height() > page.height()) {
        printer.newPage();
        y = 0;
      }
      painter.drawText(QPointF(0, y + metrics.ascent()), ExpandTabs(line.text));
      y += metrics.lineSpacing();
    }
  }
  painter.end();
  return true;
}

}  // namespace phonebook
