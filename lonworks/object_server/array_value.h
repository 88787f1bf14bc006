#pragma once
// The whole value of an array configuration property as text: every element
// in double quotes (with \" and \\ escaped), separated by commas:
// "5551234","","". Dial strings with commas survive it.

#include <QString>
#include <QStringList>
#include <optional>

namespace lnssim {

QString joinElements(const QStringList& elements);
// nullopt for a text that is not such a list.
std::optional<QStringList> splitElements(const QString& text);

}  // namespace lnssim
