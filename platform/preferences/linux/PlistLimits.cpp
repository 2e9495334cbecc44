#include "platform/preferences/linux/PlistLimits.h"

#include <cstdint>
#include <vector>

namespace tavix::platform {
namespace {

constexpr std::string_view kBinaryMagic = "bplist";

// Follows the parser's own reading of markup closely enough that it never sees an element this
// scan skipped: a processing instruction ends at the first "?>" after "<", a comment at the
// first "-->" after "<!--", a document type at ">" or, with an internal subset, at "]>", and a
// tag at the first ">".
bool xmlWithinLimits(std::string_view xml) {
    std::size_t depth = 0;
    std::size_t elements = 0;
    std::size_t pos = 0;
    const auto skipPast = [&](std::string_view end, std::size_t from) {
        const std::size_t found = xml.find(end, from);
        pos = found == std::string_view::npos ? xml.size() : found + end.size();
    };
    while ((pos = xml.find('<', pos)) != std::string_view::npos) {
        const std::string_view tag = xml.substr(pos + 1);
        if (tag.starts_with('?')) {
            skipPast("?>", pos + 1);
        } else if (tag.starts_with("!--")) {
            skipPast("-->", pos + 4);
        } else if (tag.starts_with("![CDATA[")) {
            skipPast("]]>", pos + 9);
        } else if (tag.starts_with('!')) {
            const std::size_t end = xml.find_first_of("[>", pos);
            if (end != std::string_view::npos && xml[end] == '[') {
                skipPast("]>", end);
            } else {
                pos = end == std::string_view::npos ? xml.size() : end + 1;
            }
        } else if (tag.starts_with('/')) {
            if (depth > 0) --depth;
            pos += 2;
        } else {
            if (++elements > kMaxPlistObjects || depth + 1 > kMaxPlistDepth) return false;
            const std::size_t end = xml.find('>', pos);
            if (end == std::string_view::npos) return true;
            if (xml[end - 1] != '/') ++depth;
            pos = end + 1;
        }
    }
    return true;
}

std::uint64_t bigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// Walks the object references from the root without recursion, counting each object every time
// it is reached. A structure it cannot follow is refused too: the parser would not do better.
bool binaryWithinLimits(std::string_view data) {
    constexpr std::size_t kHeaderSize = 8;
    constexpr std::size_t kTrailerSize = 32;
    constexpr unsigned kArray = 0xA;
    constexpr unsigned kSet = 0xC;
    constexpr unsigned kDictionary = 0xD;
    constexpr unsigned kInteger = 0x1;
    constexpr unsigned kSizeFollows = 0xF;

    if (data.size() < kHeaderSize + kTrailerSize) return false;
    const std::size_t trailer = data.size() - kTrailerSize;
    const std::size_t offsetSize = static_cast<unsigned char>(data[trailer + 6]);
    const std::size_t refSize = static_cast<unsigned char>(data[trailer + 7]);
    const std::uint64_t objectCount = bigEndian(data, trailer + 8, 8);
    const std::uint64_t root = bigEndian(data, trailer + 16, 8);
    const std::uint64_t table = bigEndian(data, trailer + 24, 8);
    if (offsetSize == 0 || offsetSize > 8 || refSize == 0 || refSize > 8 || table < kHeaderSize ||
        table > trailer || objectCount > (trailer - table) / offsetSize || root >= objectCount) {
        return false;
    }

    struct Reached {
        std::uint64_t index;
        std::size_t depth;
    };
    std::vector<Reached> stack{{root, 1}};
    std::size_t reached = 1;
    while (!stack.empty()) {
        const Reached object = stack.back();
        stack.pop_back();
        if (object.depth > kMaxPlistDepth) return false;
        const std::uint64_t offset = bigEndian(
            data, static_cast<std::size_t>(table + object.index * offsetSize), offsetSize);
        if (offset < kHeaderSize || offset >= table) return false;

        const auto marker = static_cast<unsigned char>(data[offset]);
        const unsigned type = marker >> 4;
        if (type != kArray && type != kSet && type != kDictionary) continue;
        std::uint64_t size = marker & 0xFu;
        std::size_t at = static_cast<std::size_t>(offset) + 1;
        if (size == kSizeFollows) {
            if (at >= table) return false;
            const auto sizeMarker = static_cast<unsigned char>(data[at]);
            const unsigned widthLog2 = sizeMarker & 0xFu;
            if ((sizeMarker >> 4) != kInteger || widthLog2 > 3) return false;
            const std::size_t width = std::size_t{1} << widthLog2;
            if (at + 1 + width > table) return false;
            size = bigEndian(data, at + 1, width);
            at += 1 + width;
        }
        // A dictionary lists its keys' references, then its values'.
        const std::uint64_t refs = type == kDictionary ? size * 2 : size;
        if (size > table || refs > (table - at) / refSize) return false;
        for (std::uint64_t i = 0; i < refs; ++i) {
            if (++reached > kMaxPlistObjects) return false;
            const std::uint64_t child =
                bigEndian(data, at + static_cast<std::size_t>(i) * refSize, refSize);
            if (child >= objectCount) return false;
            stack.push_back({child, object.depth + 1});
        }
    }
    return true;
}

}  // namespace

bool withinPlistLimits(std::string_view bytes) {
    return bytes.starts_with(kBinaryMagic) ? binaryWithinLimits(bytes) : xmlWithinLimits(bytes);
}

}  // namespace tavix::platform
