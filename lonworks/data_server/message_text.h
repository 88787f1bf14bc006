#pragma once
// The text forms of the data server's points: a message body is written as
// decimal byte values separated by blanks ("01 61 02 01"), a reply is read as
// decimal byte values separated by tab characters ("0\t1\t97").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lcadatsv {

// The byte values of a body. Any run of blanks (spaces or tabs) separates two
// values and blanks around the values are ignored; leading zeros carry no
// meaning ("007" is 7). Answers none when the text holds anything else or a
// value above 255. An empty or all-blank text is a message without data.
std::optional<std::vector<std::uint8_t>> ParseRequestText(std::string_view text);

// "0\t1\t97" for the bytes 0, 1, 97; empty for no bytes.
std::string FormatReplyText(const std::vector<std::uint8_t>& bytes);

// What a silent device leaves in the response points.
constexpr const char* kMessageTimeout = "Message Timeout";

}  // namespace lcadatsv
