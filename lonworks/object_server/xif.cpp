#include "xif.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "host/lns/lns.h"

namespace lnssim {

namespace {

struct Failure {
  int line;  // 1-based, 0 for the whole file
  QString reason;
};

[[noreturn]] void failAt(int line, const QString& reason) { throw Failure{line, reason}; }

bool isHex(QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'); }

// Splits a line into blank-separated words; a word in double quotes may hold
// blanks and the escapes \" and \\. Quoted words keep a marker so that a
// quoted text and a bare word can be told apart.
struct Word {
  QString text;
  bool quoted = false;
};

QList<Word> splitWords(const QString& line, int lineNo) {
  QList<Word> words;
  qsizetype i = 0;
  const qsizetype n = line.size();
  while (i < n) {
    while (i < n && line[i].isSpace())
      ++i;
    if (i >= n)
      break;
    Word w;
    if (line[i] == u'"') {
      w.quoted = true;
      ++i;
      bool closed = false;
      while (i < n) {
        const QChar c = line[i++];
        if (c == u'\\' && i < n && (line[i] == u'"' || line[i] == u'\\')) {
          w.text += line[i++];
        } else if (c == u'"') {
          closed = true;
          break;
        } else {
          w.text += c;
        }
      }
      if (!closed)
        failAt(lineNo, QStringLiteral("a quoted text is not closed"));
      if (i < n && !line[i].isSpace())
        failAt(lineNo, QStringLiteral("a blank must follow a quoted text"));
    } else {
      while (i < n && !line[i].isSpace())
        w.text += line[i++];
    }
    words << w;
  }
  return words;
}

qint32 number(const Word& w, int lineNo, const char* what, qint32 low, qint32 high) {
  bool ok = false;
  const qint64 v = w.quoted ? 0 : w.text.toLongLong(&ok);
  if (!ok || v < low || v > high)
    failAt(
        lineNo,
        QStringLiteral("%1 \"%2\" is not a number from %3 to %4").arg(QLatin1String(what), w.text).arg(low).arg(high));
  return static_cast<qint32>(v);
}

QString identifier(const Word& w, int lineNo, const char* what) {
  if (w.quoted || w.text.isEmpty() || w.text.size() > 64)
    failAt(lineNo, QStringLiteral("%1 \"%2\" is not a valid name").arg(QLatin1String(what), w.text));
  for (QChar c : w.text)
    if (!(c.isLetterOrNumber() || c == u'_'))
      failAt(lineNo, QStringLiteral("%1 \"%2\" is not a valid name").arg(QLatin1String(what), w.text));
  return w.text;
}

QString programIdFrom(const QString& line, int lineNo) {
  // Eight groups at positions 1, 4, ..., 22 (counted from 1).
  const QString t = line.trimmed();
  if (t.size() < 23)
    failAt(lineNo, QStringLiteral("the program identifier line \"%1\" is too short").arg(t));
  QString id;
  for (int g = 0; g < 8; ++g) {
    const qsizetype at = g * 3;
    if (!isHex(t[at]) || !isHex(t[at + 1]))
      failAt(lineNo,
             QStringLiteral("the program identifier line \"%1\" does not hold eight hexadecimal groups").arg(t));
    if (g < 7 && isHex(t[at + 2]))
      failAt(lineNo,
             QStringLiteral("the program identifier line \"%1\" does not hold eight hexadecimal groups").arg(t));
    id += t.mid(at, 2);
  }
  return id.toUpper();
}

XifInterface parse(const QByteArray& bytes) {
  if (bytes.size() > kMaxXifBytes)
    failAt(0, QStringLiteral("the file is larger than %1 bytes").arg(kMaxXifBytes));
  if (bytes.contains('\0'))
    failAt(0, QStringLiteral("the file is not a text file"));
  QStringList lines = QString::fromUtf8(bytes).split(u'\n');
  for (QString& l : lines)
    if (l.endsWith(u'\r'))
      l.chop(1);

  XifInterface xif;
  if (lines.size() < 5)
    failAt(0, QStringLiteral("the file ends before its program identifier"));
  const int idLine = lines[3].trimmed().isEmpty() ? 4 : 3;
  xif.programId = programIdFrom(lines[idLine], idLine + 1);

  int i = idLine + 1;
  while (i < lines.size() && lines[i].trimmed() != QLatin1String("*"))
    ++i;
  if (i >= lines.size())
    failAt(0, QStringLiteral("the file has no interface section (no line holding \"*\")"));

  QSet<qint32> objectIndexes, nvIndexes;
  QSet<QString> nvNames, cpKeys;
  for (++i; i < lines.size(); ++i) {
    const int lineNo = i + 1;
    const QString t = lines[i].trimmed();
    if (t.isEmpty() || t == QLatin1String("*"))
      continue;
    const QList<Word> w = splitWords(t, lineNo);
    const QString keyword = w[0].text;
    if (keyword == QLatin1String("OBJECT") && !w[0].quoted) {
      if (w.size() != 4 || !w[2].quoted)
        failAt(lineNo, QStringLiteral("expected OBJECT <index> \"<name>\" <profile>"));
      XifObject o;
      o.index = number(w[1], lineNo, "object index", 0, 65535);
      o.name = w[2].text.trimmed();
      if (o.name.isEmpty() || o.name.size() > 64 || o.name.contains(u'/'))
        failAt(lineNo, QStringLiteral("object name \"%1\" is not valid").arg(o.name));
      o.profile = number(w[3], lineNo, "profile", 0, 65535);
      if (objectIndexes.contains(o.index))
        failAt(lineNo, QStringLiteral("object index %1 appears twice").arg(o.index));
      for (const XifObject& other : std::as_const(xif.objects))
        if (other.name == o.name)
          failAt(lineNo, QStringLiteral("object name \"%1\" appears twice").arg(o.name));
      objectIndexes.insert(o.index);
      xif.objects << o;
    } else if (keyword == QLatin1String("VAR") && !w[0].quoted) {
      if (w.size() != 6)
        failAt(lineNo, QStringLiteral("expected VAR <name> <nv index> <object index> INPUT|OUTPUT <type>"));
      XifVariable v;
      v.name = identifier(w[1], lineNo, "variable name");
      v.nvIndex = number(w[2], lineNo, "variable index", 0, 65535);
      v.objectIndex = number(w[3], lineNo, "object index", 0, 65535);
      if (w[4].text == QLatin1String("INPUT"))
        v.input = true;
      else if (w[4].text != QLatin1String("OUTPUT"))
        failAt(lineNo, QStringLiteral("direction \"%1\" is neither INPUT nor OUTPUT").arg(w[4].text));
      v.type = identifier(w[5], lineNo, "type");
      if (!objectIndexes.contains(v.objectIndex))
        failAt(lineNo,
               QStringLiteral("variable %1 names object %2, which is not declared").arg(v.name).arg(v.objectIndex));
      if (nvNames.contains(v.name))
        failAt(lineNo, QStringLiteral("variable name %1 appears twice").arg(v.name));
      if (nvIndexes.contains(v.nvIndex))
        failAt(lineNo, QStringLiteral("variable index %1 appears twice").arg(v.nvIndex));
      nvNames.insert(v.name);
      nvIndexes.insert(v.nvIndex);
      xif.variables << v;
    } else if (keyword == QLatin1String("CP") && !w[0].quoted) {
      if (w.size() != 5 || !w[4].quoted)
        failAt(lineNo, QStringLiteral("expected CP <name> <object index> <element count> \"<default>\""));
      XifProperty p;
      p.name = identifier(w[1], lineNo, "property name");
      p.objectIndex = number(w[2], lineNo, "object index", 0, 65535);
      p.elementCount = number(w[3], lineNo, "element count", 1, kMaxElementCount);
      p.defaultValue = w[4].text;
      if (!objectIndexes.contains(p.objectIndex))
        failAt(lineNo,
               QStringLiteral("property %1 names object %2, which is not declared").arg(p.name).arg(p.objectIndex));
      const QString key = QString::number(p.objectIndex) + u'/' + p.name;
      if (cpKeys.contains(key))
        failAt(lineNo, QStringLiteral("property %1 appears twice on object %2").arg(p.name).arg(p.objectIndex));
      cpKeys.insert(key);
      xif.properties << p;
    } else {
      failAt(lineNo, QStringLiteral("unknown line \"%1\"").arg(t.left(40)));
    }
  }
  if (xif.objects.isEmpty())
    failAt(0, QStringLiteral("the file declares no LonMark object"));
  return xif;
}

lns::LnsError importError(const QString& origin, const Failure& f) {
  QString text = QStringLiteral("Cannot import the external interface file ") + origin + QStringLiteral(": ");
  if (f.line > 0)
    text += QStringLiteral("line %1: ").arg(f.line);
  return lns::LnsError(lns::kErrImport, text + f.reason);
}

}  // namespace

XifInterface parseXif(const QByteArray& text, const QString& origin) {
  try {
    return parse(text);
  } catch (const Failure& f) {
    throw importError(origin, f);
  }
}

XifInterface readXifFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists())
    throw importError(path, Failure{0, QStringLiteral("the file does not exist")});
  if (!info.isFile())
    throw importError(path, Failure{0, QStringLiteral("it is not a file")});
  if (info.size() > kMaxXifBytes)
    throw importError(path, Failure{0, QStringLiteral("the file is larger than %1 bytes").arg(kMaxXifBytes)});
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw importError(path, Failure{0, QStringLiteral("the file cannot be read: ") + f.errorString()});
  return parseXif(f.read(kMaxXifBytes + 1), path);
}

}  // namespace lnssim
