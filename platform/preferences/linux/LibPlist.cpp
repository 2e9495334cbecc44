#include "platform/preferences/linux/LibPlist.h"

#ifndef TAVIX_LIBPLIST_2_3
#error "TAVIX_LIBPLIST_2_3 must say whether libplist is 2.3 or later"
#endif

namespace tavix::platform::libplist {

Node parse(std::string_view bytes) {
    const auto length = static_cast<uint32_t>(bytes.size());
    plist_t root = nullptr;
    if (plist_is_binary(bytes.data(), length)) {
        plist_from_bin(bytes.data(), length, &root);
    } else {
        plist_from_xml(bytes.data(), length, &root);
    }
    return Node(root);
}

std::optional<std::string> toXml(plist_t root) {
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    if (!xml) return std::nullopt;
    std::string document(xml, length);
#if TAVIX_LIBPLIST_2_3
    plist_mem_free(xml);
#else
    plist_to_xml_free(xml);
#endif
    return document;
}

plist_t newInteger(std::int64_t value) {
#if TAVIX_LIBPLIST_2_3
    return plist_new_int(value);
#else
    // Kept as eight bytes, which these versions write signed.
    return plist_new_uint(static_cast<uint64_t>(value));
#endif
}

std::int64_t integerValue(plist_t node) {
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return static_cast<std::int64_t>(value);
}

Kind kindOf(plist_t node) {
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN:
            return Kind::boolean;
        case PLIST_UINT:
            return Kind::integer;
        case PLIST_REAL:
            return Kind::real;
        case PLIST_STRING:
            return Kind::string;
        default:
            // Containers, dates, data, keys, UIDs, and the types later versions add.
            return Kind::other;
    }
}

}  // namespace tavix::platform::libplist
