#pragma once
// The phonebook listing: the lines both listings share, the file form written
// to "ZEVtemp.txt" in the installation directory and opened with the system's
// handler, and the printer form drawn on a QPrinter.
//
// Both forms list the stored phonebook (what the last save wrote), one line
// per used entry:
//   " " + index right-aligned in two characters + TAB + number
//   + (32 - length of the number) blanks + description.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "host/lns/lns.h"
#include "phonebook/phonebook_model.h"

class QPrinter;
class QWidget;

namespace phonebook {

struct ListingSource {
  bool explicitFamily = false;
  lns::AppDevicePtr device;
  LonMarkDirectory directory;           // LonMark family: the numbers and their descriptions
  lns::LonMarkObjectPtr headingObject;  // LonMark family: its name heads the listing
};

enum class ListingForm { File, Printer };

// One line and the font it is written in (the printer form changes fonts;
// the file form ignores them).
struct ListingLine {
  QString text;
  int pointSize = 12;
  bool bold = false;
  bool underline = false;
  friend bool operator==(const ListingLine&, const ListingLine&) = default;
};

inline constexpr char kListingFileName[] = "ZEVtemp.txt";
// The machine key whose value "Path" names the installation directory.
inline constexpr char kInstallKey[] = "SOFTWARE\\Zev Products Inc\\RLX_PLUG\\2.00a";

// An entry line. A number longer than 32 characters is followed by one blank
// so that the description stays apart from it.
QString EntryLine(int index, const QString& number, const QString& description);

// The whole listing, in order. Reading the stored phonebook may throw
// lns::LnsError (a LonMark number that cannot be read); the heading's object
// name is read with errors suppressed. now gives the trailer's time and date
// (the system's short formats).
QList<ListingLine> BuildListing(const ListingSource& source, ListingForm form, const QDateTime& now);
QStringList ListingText(const QList<ListingLine>& lines);

// Where "ZEVtemp.txt" goes: the installation directory from the registry,
// else the program's folder when it can be written, else the user's
// temporary folder. Never the root of the file system.
struct ListingTarget {
  QString folder;
  bool fromRegistry = false;
};
ListingTarget ResolveListingTarget();

// "Print to File": writes the listing's file form and asks the system to open
// it. A file that cannot be written is reported and nothing is opened.
// Returns the path written, or "" when nothing was.
QString PrintToFile(const ListingSource& source, QWidget* owner, const QDateTime& now = QDateTime::currentDateTime());

// Expands tab characters to the next multiple of tabSize columns (the printer
// form draws the lines in a fixed-pitch font).
QString ExpandTabs(const QString& text, int tabSize = 8);

// Draws the printer form on the printer, copies times when the printer
// cannot make copies itself. Returns false (and the reason) when the printer
// cannot be reached.
bool RenderListing(QPrinter& printer, const QList<ListingLine>& lines, int copies, QString* error = nullptr);

}  // namespace phonebook
