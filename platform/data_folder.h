#pragma once
// The folder of the product's data files (xif/, Resource/) for a program in
// the given folder: share/rlx-plug beside the programs' bin/, in an
// installation and in the build tree alike (the path comes from the build's
// install layout).

#include <QDir>
#include <QString>

#include "rlx_build_info.h"

namespace platform {

inline QString ProductDataFolder(const QString& programFolder) {
  return QDir::cleanPath(programFolder + QStringLiteral("/" RLX_DATA_DIR_FROM_BIN));
}

}  // namespace platform
