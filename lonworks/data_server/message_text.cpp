#include "message_text.h"

#include <limits>

#include "device_endpoint.h"

namespace lcadatsv {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::vector<std::uint8_t>> ParseRequestText(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::size_t i = 0;
  while (i < text.size()) {
    if (isBlank(text[i])) {
      ++i;
      continue;
    }
    if (!isDigit(text[i]))
      return std::nullopt;
    unsigned value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      value = value * 10 + unsigned(text[i] - '0');
      if (value > 255)
        return std::nullopt;
    }
    // A value ends at a blank or at the end of the text.
    if (i < text.size() && !isBlank(text[i]))
      return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

std::string FormatReplyText(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  text.reserve(bytes.size() * 4);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i)
      text += '\t';
    text += std::to_string(bytes[i]);
  }
  return text;
}

std::optional<std::int32_t> DeviceHandleOfName(std::string_view name) {
  if (name.empty() || name[0] != '#')
    return std::nullopt;
  name.remove_prefix(1);
  bool negative = false;
  if (!name.empty() && name[0] == '-') {
    negative = true;
    name.remove_prefix(1);
  } else if (!name.empty() && name[0] == ' ') {
    name.remove_prefix(1);
  }
  if (name.empty())
    return std::nullopt;
  std::int64_t value = 0;
  for (char c : name) {
    if (!isDigit(c))
      return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
      return std::nullopt;
  }
  if (negative)
    value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace lcadatsv
