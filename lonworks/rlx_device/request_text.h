#pragma once
// The text form of a request as the plug-in writes it: decimal byte values
// separated by blanks, the message code first ("00 01 61 02 01"). Any run of
// blanks (spaces or tabs) separates two values, leading zeros carry no
// meaning, and every value is a byte (0 to 255).

#include <QString>
#include <QStringView>
#include <optional>

#include "lonworks/rlx_device/rlx_model.h"

namespace rlxsim {

// The byte values of a request text; nullopt when it holds anything but
// blank-separated decimal numbers up to 255, or nothing at all.
std::optional<Bytes> parseRequestText(QStringView text);

struct Request {
  int messageCode = 0;
  Bytes body;  // what the device receives: the values after the message code
};
// A request text split into its message code and body; nullopt when the
// text is not a request or holds only the code.
std::optional<Request> parseRequest(QStringView text);

// "00 01 48 00": the code in two digits, then the body's values as written
// the plug-in's way (two digits below 10).
QString requestText(const Request& request);

}  // namespace rlxsim
