#pragma once
// The binary form of an external interface file (".XFB"), as our XIF32BIN
// writes it: the magic "XFB1", then a QDataStream (Qt 6.0 format) holding the
// program identifier, the LonMark objects, the network variables and the
// configuration properties of the parsed XIF.

#include <QByteArray>
#include <QString>
#include <optional>

#include "lonworks/object_server/xif.h"

namespace xif32bin {

QByteArray EncodeXfb(const lnssim::XifInterface& xif);
// nullopt for data that is not an XFB of this layout.
std::optional<lnssim::XifInterface> DecodeXfb(const QByteArray& bytes);

// Compiles in.xif into out.XFB. Returns the exit code (0 on success) and puts
// the reason for a failure into *why.
int Compile(const QString& inPath, const QString& outPath, QString* why);

}  // namespace xif32bin
