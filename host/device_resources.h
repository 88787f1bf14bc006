#pragma once
// The maker's device resource files: installing them (and the two external
// interface files) into the LonWorks tree with the resource catalog updated,
// and reading the LonMark object names out of the language file at run time.

#include <QString>
#include <QStringList>

namespace device_resources {

// L: the "LonWorks Path" value of the machine key "SOFTWARE\LonWorks" ("" when unset).
QString LonWorksPath();
// Why LonWorksPath() is "": not set, or not an absolute folder (naming the
// value and where it was read). "" when the path is usable.
QString LonWorksPathProblem();

// Fills the six LonMark object names of the process-wide state.
void LoadObjectNames();

// Copies the resource and XIF files and registers the resource directory in
// the catalog. True when the catalog was updated. Each error is shown in its
// box and, when `problems` is given, added to it; a missing LonWorks path,
// which shows nothing, is added too.
bool InstallDeviceResources(QStringList* problems = nullptr);

}  // namespace device_resources
