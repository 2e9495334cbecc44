#include "replay/Quote.h"

#include <cstdint>
#include <cstdio>

namespace tavix::replay {
namespace {

// The length of the UTF-8 sequence at the front of `text` and its code point; length 0 when the
// bytes are not one (overlong forms and surrogates included).
std::size_t decode(std::string_view text, char32_t& point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, point = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, point = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, point = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        point = point << 6 | (byte(i) & 0x3F);
    }
    const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
    return point < least || point > 0x10FFFF || surrogate ? 0 : length;
}

// Control characters, and the marks that reorder text on screen.
bool isControl(char32_t point) {
    const bool bidi = point == 0x061C || point == 0x200E || point == 0x200F ||
                      (point >= 0x202A && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069);
    return point < 0x20 || (point >= 0x7F && point < 0xA0) || bidi;
}

void appendEscape(std::string& out, const char* format, unsigned value) {
    char escaped[8];
    // Every escape written here is at most six characters.
    (void)std::snprintf(escaped, sizeof escaped, format, value);
    out += escaped;
}

// Appends at most `limit` characters of `text`; returns how many bytes of it were shown. A
// backslash is doubled so that every escape is unambiguous, a double quote too inside quotes.
std::size_t appendPrintable(std::string& out, std::string_view text, std::size_t limit,
                            bool inQuotes) {
    std::size_t at = 0;
    for (std::size_t shown = 0; at < text.size() && shown < limit; ++shown) {
        char32_t point = 0;
        const std::size_t length = decode(text.substr(at), point);
        if (length == 0) {
            appendEscape(out, "\\x%02x", static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        if (point == '\\' || (inQuotes && point == '"')) {
            out += '\\';
            out += static_cast<char>(point);
        } else if (point == '\n') {
            out += "\\n";
        } else if (point == '\t') {
            out += "\\t";
        } else if (isControl(point)) {
            appendEscape(out, "\\u%04x", static_cast<unsigned>(point));
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    return at;
}

void appendCutMarker(std::string& out, std::size_t shown, std::size_t total) {
    if (shown < total) out += "… (" + std::to_string(total) + " bytes in all)";
}

}  // namespace

std::string printable(std::string_view text, std::size_t limit) {
    std::string out;
    const std::size_t shown = appendPrintable(out, text, limit, false);
    appendCutMarker(out, shown, text.size());
    return out;
}

std::string quote(std::string_view text, std::size_t limit) {
    std::string out = "\"";
    const std::size_t shown = appendPrintable(out, text, limit, true);
    out += '"';
    appendCutMarker(out, shown, text.size());
    return out;
}

}  // namespace tavix::replay
