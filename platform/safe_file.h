#pragma once
// Files the programs write and read where a failing disk, a crash or a
// planted special file must not cost data or hang a program.
//
// WriteFileAtomically writes through a temporary file in the same folder that
// is renamed over the target only when every byte reached the disk: either
// the whole new content is there afterwards or the previous file is as it
// was. (QSaveFile alone is not enough: a write that fails while its buffer is
// flushed at commit() goes unnoticed and an empty file replaces the old one.)

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// Refuses a target that exists and is not a regular file (a folder, a FIFO, a
// device). On failure returns false and, when why is given, says why (the
// reason alone: the caller names the file).
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* why = nullptr);

// Copies a regular file of at most maxBytes over target, atomically as above.
bool CopyFileAtomically(const QString& from, const QString& to, qint64 maxBytes, QString* why = nullptr);

// Reads a regular file of at most maxBytes (why, as above, gives the reason
// alone); nothing for a missing or
// unreadable file, a FIFO, a device or anything larger. Never blocks on a
// special file and never reads without bound.
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes, QString* why = nullptr);

// A folder of the user's own in the shared temporary folder
// (<temp>/RLX_Plug-<uid>, mode 0700), for files that must not sit under a
// fixed name where another local user could plant a link. When that name is
// taken by anything but such a folder of ours, a fresh folder with a random
// name is made instead. Returns "" (and why) when neither can be made.
QString PrivateTemporaryFolder(QString* why = nullptr);

}  // namespace platform
