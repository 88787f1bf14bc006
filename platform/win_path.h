#pragma once
// Paths written the home platform's way ("C:\LonWorks\types\user\ZEV\Zev.enu")
// resolved on this file system. Both "\" and "/" separate components; each
// component is matched against the existing entries of its folder without
// regard to case (an exact match wins), so "types\user\ZEV" finds an existing
// "types/User/Zev" and no second folder differing only in case is ever made.

#include <QString>

namespace platform {

class WinPath {
 public:
  // The local path for a backslash path. Components that do not exist keep
  // the spelling they were given. Repeated separators are folded.
  static QString resolve(const QString& path);
  // Creates the folder and its missing parents, reusing existing folders whose
  // names differ only in case. Returns false when a folder cannot be made.
  static bool makeDirs(const QString& path);
  // True when the path names an existing folder (case-insensitive lookup).
  static bool isDir(const QString& path);
  static bool isFile(const QString& path);
  // The name an existing entry really has on disk ("User" for "user"), or ""
  // when nothing matches.
  static QString diskName(const QString& path);
  // Joins with a backslash, without doubling one that is already there.
  static QString join(const QString& a, const QString& b);
  // True when the path names a place from the root of the file system (a
  // Windows path such as "C:\LonWorks" does not on Linux: it would be taken
  // relative to the current folder).
  static bool isAbsolute(const QString& path);
};

}  // namespace platform
