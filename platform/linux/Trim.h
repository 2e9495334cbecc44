#pragma once

#include <cctype>
#include <string_view>

namespace tavix::platform {

// The text without the white space around it, as the config files Tavix reads allow.
inline std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace tavix::platform
