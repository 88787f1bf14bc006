#include "safe_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool Fail(QString* why, const QString& text) {
  if (why)
    *why = text;
  return false;
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* why) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile())
    return Fail(why, QStringLiteral("it exists and is not a regular file"));
  QSaveFile file(path);
  // Unbuffered: every write reaches the file at once and its failure is seen
  // here, not lost in a flush inside commit().
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return Fail(why, file.errorString());
  qint64 done = 0;
  while (done < data.size()) {
    const qint64 n = file.write(data.constData() + done, data.size() - done);
    if (n <= 0) {
      const QString error = file.errorString();
      file.cancelWriting();
      return Fail(why, error);
    }
    done += n;
  }
  if (!file.flush()) {
    const QString error = file.errorString();
    file.cancelWriting();
    return Fail(why, error);
  }
  if (!file.commit())
    return Fail(why, file.errorString());
  return true;
}

bool CopyFileAtomically(const QString& from, const QString& to, qint64 maxBytes, QString* why) {
  const std::optional<QByteArray> data = ReadRegularFile(from, maxBytes, why);
  return data && WriteFileAtomically(to, *data, why);
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes, QString* why) {
  // Opened without blocking (a FIFO with no writer would hold open() for
  // ever) and checked on the open descriptor, so the file cannot be swapped
  // between the check and the read.
  const QByteArray native = QFile::encodeName(path);
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    Fail(why, QString::fromLocal8Bit(strerror(errno)));
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    Fail(why, QStringLiteral("it is not a regular file"));
    return std::nullopt;
  }
  if (st.st_size > maxBytes) {
    ::close(fd);
    Fail(why, QStringLiteral("it is larger than %1 bytes").arg(maxBytes));
    return std::nullopt;
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    Fail(why, file.errorString());
    return std::nullopt;
  }
  // The size can grow after fstat; read one byte more than allowed to notice.
  QByteArray data = file.read(maxBytes + 1);
  if (data.size() > maxBytes) {
    Fail(why, QStringLiteral("it is larger than %1 bytes").arg(maxBytes));
    return std::nullopt;
  }
  return data;
}

QString PrivateTemporaryFolder(QString* why) {
  const QString base = QDir::tempPath();
  const QString mine = QStringLiteral("%1/RLX_Plug-%2").arg(base).arg(::getuid());
  const QByteArray native = QFile::encodeName(mine);
  if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
    Fail(why, QStringLiteral("cannot make %1: %2").arg(mine, QString::fromLocal8Bit(strerror(errno))));
    return QString();
  }
  // Ours only if it is a real folder (not a link), owned by us and closed to
  // everyone else.
  struct stat st {};
  if (::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
      (st.st_mode & 077) == 0)
    return mine;
  QByteArray pattern = native + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    Fail(why,
         QStringLiteral("cannot make a private folder in %1: %2").arg(base, QString::fromLocal8Bit(strerror(errno))));
    return QString();
  }
  return QFile::decodeName(pattern);
}

}  // namespace platform
