#pragma once

#include <plist/plist.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The libplist calls whose form differs between its versions (2.2 to 2.7), so that nothing else
// depends on which one is installed.
namespace tavix::platform::libplist {

struct Free {
    void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, Free>;

// A binary property list (by its magic) or an XML one; nothing else. Newer versions would also
// take JSON and OpenStep text, which PlistLimits does not bound.
Node parse(std::string_view bytes);

// Nothing if libplist could not write the document.
std::optional<std::string> toXml(plist_t root);

// Written as a signed <integer> whatever the version: newer ones write a negative value given as
// unsigned as its two's complement, which other readers take for a huge positive number.
plist_t newInteger(std::int64_t value);
// The 64 bits as two's complement, whichever way they were written: a huge unsigned integer
// from a file an older Tavix wrote stands for the negative value it was given.
std::int64_t integerValue(plist_t node);

enum class Kind { boolean, integer, real, string, other };
Kind kindOf(plist_t node);

}  // namespace tavix::platform::libplist
