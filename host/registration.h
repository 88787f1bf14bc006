#pragma once
// The plug-in's LNS registry entry: writing it (by version), removing it, and
// the version arithmetic that decides whether an existing entry is replaced.

#include <QString>
#include <utility>

namespace registration {

inline const QString kPlugInName = QStringLiteral("RLX_Plug");
inline const QString kProgId = QStringLiteral("RLX_Plug.LNSPlugInAPI");
inline const QString kVersion = QStringLiteral("2.10b");
inline const QString kLcaVersion = QStringLiteral("1.5");
inline const QString kManufacturerName = QStringLiteral("Zev Prodcucts Inc");
inline const QString kManufacturerId = QStringLiteral("60");
inline const QString kPlugInKey = QStringLiteral("SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\") + kPlugInName;
inline const QString kLonWorksKey = QStringLiteral("SOFTWARE\\LonWorks");
inline const QString kLonWorksPathValue = QStringLiteral("LonWorks Path");

// The numeric value of a text: its leading digits; no digits give 0.
int LeadingNumber(const QString& text);
// (major, minor): "2.10b" and "2.1" are (2, 10), "2.09" is (2, 9), "2.2" is (2, 20).
std::pair<int, int> ParseVersion(const QString& version);

// Writes the entry unless an equal or newer version is registered. With
// report set, the outcome is shown in an "RLX_Plug" information box.
// Returns false when the entry could not be written (reported as such, never
// as a success).
bool RegisterPlugIn(bool report);
void DeregisterPlugIn(bool report);

// The folder that holds the running program, without a trailing separator.
QString ProgramFolder();
// Makes ProgramFolder() answer another folder (tests lay out their own
// program folder); an empty text goes back to the real one.
void SetProgramFolder(const QString& folder);

}  // namespace registration
