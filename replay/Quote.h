#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavix::replay {

// Script text as an error message may show it: control characters and bytes that are not UTF-8
// escaped (nothing reaches the terminal as an escape sequence), and cut after `limit`
// characters with a marker giving the full length (a huge token gives a short message).
std::string printable(std::string_view text, std::size_t limit);

// A name or value from a script in double quotes, made printable and cut after `limit`
// characters.
std::string quote(std::string_view text, std::size_t limit = 40);

}  // namespace tavix::replay
