#pragma once
// Finding the external interface file (XIF) of a device type: reading the
// program identifier out of an XIF file and searching a directory tree for the
// file that declares a given identifier.

#include <QString>

namespace WalkDir {

// The program identifier declared by an XIF file: 16 hexadecimal digits as
// the file writes them, "524C580000000000" for files of the "RLX" family
// (text form), "" for files whose name does not end in ".XIF" (any case) and
// for files that cannot be read.
QString ReadXifProgramId(const QString& path);

// Searches the directory (ending with a separator) and its sub-directories for
// the XIF file that declares the program identifier; the identifier is turned
// to upper case in place. Files of a folder come before its sub-folders, both
// in name order. Returns the file's path or "". Symbolic-link loops and
// unreadable folders are passed over.
QString FindProgramIdFile(const QString& directory, QString& programId);

}  // namespace WalkDir
