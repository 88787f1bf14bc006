#pragma once
// External interface files (XIF) in our own text layout:
//
//   lines 1-3   free header text
//   line 4      the program identifier, or blank with the identifier on line 5:
//               eight two-digit hexadecimal groups separated by single
//               characters ("80:00:60:32:5B:08:09:32")
//   ...         further header lines, up to the first line holding "*"
//   then        sections separated by lines holding "*", made of
//               OBJECT <index> "<name>" <profile>
//               VAR <name> <nv index> <object index> INPUT|OUTPUT <type>
//               CP <name> <object index> <element count> "<default>"
//
// Quoted texts may hold \" and \\. Blank lines are ignored.

#include <QByteArray>
#include <QList>
#include <QString>

namespace lnssim {

struct XifObject {
  qint32 index = 0;
  QString name;
  qint32 profile = 0;
};

struct XifVariable {
  QString name;
  qint32 nvIndex = 0;
  qint32 objectIndex = 0;
  bool input = false;
  QString type;
};

struct XifProperty {
  QString name;
  qint32 objectIndex = 0;
  qint32 elementCount = 1;
  QString defaultValue;
};

struct XifInterface {
  QString programId;  // 16 upper-case hexadecimal digits
  QList<XifObject> objects;
  QList<XifVariable> variables;
  QList<XifProperty> properties;
};

// Largest file and array accepted.
constexpr qint64 kMaxXifBytes = 1024 * 1024;
constexpr qint32 kMaxElementCount = 4096;

// Parses the text of a file; throws lns::LnsError(kErrImport) naming the file
// (origin) and the line for anything malformed.
XifInterface parseXif(const QByteArray& text, const QString& origin);
// Reads and parses a file; a missing or unreadable file throws kErrImport too.
XifInterface readXifFile(const QString& path);

}  // namespace lnssim
