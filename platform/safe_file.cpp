#include "safe_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
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
    return Fail(why, QStringLiteral("%1 exists and is not a regular file").arg(path));
  QSaveFile file(path);
  // Unbuffered: every write reaches the file at once and its failure is seen
  // here, not lost in a flush inside commit().
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return Fail(why, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
  qint64 done = 0;
  while (done < data.size()) {
    const qint64 n = file.write(data.constData() + done, data.size() - done);
    if (n <= 0) {
      const QString error = file.errorString();
      file.cancelWriting();
      return Fail(why, QStringLiteral("cannot write %1: %2").arg(path, error));
    }
    done += n;
  }
  if (!file.flush()) {
    const QString error = file.errorString();
    file.cancelWriting();
    return Fail(why, QStringLiteral("cannot write %1: %2").arg(path, error));
  }
  if (!file.commit())
    return Fail(why, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
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
    Fail(why, QStringLiteral("cannot read %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    Fail(why, QStringLiteral("%1 is not a regular file").arg(path));
    return std::nullopt;
  }
  if (st.st_size > maxBytes) {
    ::close(fd);
    Fail(why, QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes));
    return std::nullopt;
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    Fail(why, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return std::nullopt;
  }
  // The size can grow after fstat; read one byte more than allowed to notice.
  QByteArray data = file.read(maxBytes + 1);
  if (data.size() > maxBytes) {
    Fail(why, QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes));
    return std::nullopt;
  }
  return data;
}

}  // namespace platform
