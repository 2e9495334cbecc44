#include "platform/preferences/linux/PlistPreferenceStore.h"

#include <locale.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/preferences/linux/LibPlist.h"
#include "platform/preferences/linux/PlistLimits.h"
#include "platform/preferences/linux/XmlText.h"

namespace tavix::platform {
namespace {

namespace fs = std::filesystem;

using PlistPtr = libplist::Node;

// libplist reads <real> with strtod, which under a decimal-comma locale (which Qt sets from the
// user's) stops at the point: 0.5 came back as 0. For the life of the object this thread reads
// numbers the C way.
class CNumbers {
  public:
    CNumbers() : c_(newlocale(LC_NUMERIC_MASK, "C", nullptr)) {
        if (c_) previous_ = uselocale(c_);
    }
    ~CNumbers() {
        if (!c_) return;
        uselocale(previous_);
        freelocale(c_);
    }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

  private:
    locale_t c_;
    locale_t previous_ = nullptr;
};

// Nothing unless the bytes are a dictionary within PlistLimits. Binary property lists (copied
// from elsewhere) are read too; writes are XML.
PlistPtr parse(const std::string& bytes) {
    if (bytes.empty() || !withinPlistLimits(bytes)) return nullptr;
    const CNumbers numbers;
    PlistPtr owned = libplist::parse(bytes);
    if (!owned || plist_get_node_type(owned.get()) != PLIST_DICT) return nullptr;
    return owned;
}

std::optional<PreferenceValue> decode(plist_t node) {
    if (!node) return std::nullopt;
    switch (libplist::kindOf(node)) {
        case libplist::Kind::boolean: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PreferenceValue(value != 0);
        }
        case libplist::Kind::integer:
            return PreferenceValue(libplist::integerValue(node));
        case libplist::Kind::real: {
            double value = 0;
            plist_get_real_val(node, &value);
            return PreferenceValue(value);
        }
        case libplist::Kind::string: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            if (!text) return std::nullopt;
            return PreferenceValue(std::string(text, length));
        }
        case libplist::Kind::other:
            return std::nullopt;
    }
    return std::nullopt;
}

plist_t encode(const PreferenceValue& value) {
    struct Encoder {
        plist_t operator()(bool boolean) const { return plist_new_bool(boolean ? 1 : 0); }
        plist_t operator()(std::int64_t integer) const { return libplist::newInteger(integer); }
        plist_t operator()(double real) const { return plist_new_real(real); }
        plist_t operator()(const std::string& string) const {
            return plist_new_string(string.c_str());
        }
    };
    return std::visit(Encoder{}, value);
}

std::optional<fs::path> homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home);
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || !*found->pw_dir) {
        return std::nullopt;
    }
    return fs::path(found->pw_dir);
}

}  // namespace

std::optional<fs::path> PlistPreferenceStore::defaultDirectory() {
    fs::path base;
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config && fs::path(config).is_absolute()) {
        base = config;
    } else if (auto home = homeDirectory()) {
        base = *home / ".config";
    } else {
        return std::nullopt;
    }
    return base / "tavix" / "preferences";
}

PlistPreferenceStore::PlistPreferenceStore(std::optional<fs::path> directory,
                                           BeforeReplace beforeReplace)
    : directory_(std::move(directory)), beforeReplace_(std::move(beforeReplace)) {}

std::optional<fs::path> PlistPreferenceStore::fileFor(const PreferenceDomain& domain) const {
    const std::string& name = domain.name();
    if (!directory_ || name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        return std::nullopt;
    }
    return *directory_ / (name + ".plist");
}

std::optional<PreferenceValue> PlistPreferenceStore::copyValue(
    const std::string& key, const PreferenceDomain& domain) const {
    std::lock_guard guard(mutex_);
    if (const auto pending = pending_.find(domain); pending != pending_.end()) {
        const auto& values = pending->second.values;
        if (const auto found = values.find(key); found != values.end()) {
            return found->second;
        }
    }
    const auto file = fileFor(domain);
    if (!file) return std::nullopt;
    const DomainFile::Contents contents = DomainFile(*file).read();
    if (contents.state != DomainFile::Contents::State::read) return std::nullopt;
    const PlistPtr root = parse(contents.bytes);
    if (!root) return std::nullopt;
    return decode(plist_dict_get_item(root.get(), key.c_str()));
}

void PlistPreferenceStore::setValue(const std::string& key, const PreferenceValue& value,
                                    const PreferenceDomain& domain) {
    if (!fileFor(domain)) return;
    const auto* string = std::get_if<std::string>(&value);
    std::lock_guard guard(mutex_);
    Pending& pending = pending_[domain];
    if (!fitsXmlText(key) || (string && !fitsXmlText(*string))) {
        pending.refused = true;
        return;
    }
    pending.values.insert_or_assign(key, value);
}

bool PlistPreferenceStore::synchronize(const PreferenceDomain& domain) {
    const auto file = fileFor(domain);
    if (!file) return false;
    std::lock_guard guard(mutex_);
    const auto pending = pending_.find(domain);
    if (pending == pending_.end()) return true;
    if (pending->second.values.empty()) {
        pending_.erase(pending);
        return false;  // only refused values: nothing to write
    }

    const DomainFile domainFile(*file);
    const auto lock = domainFile.lock();
    if (!lock) return false;
    const DomainFile::Contents contents = domainFile.read();
    PlistPtr root;
    switch (contents.state) {
        case DomainFile::Contents::State::read:
            root = parse(contents.bytes);
            // The copy kept is of the very bytes judged unparsable.
            if (!root && !domainFile.keepAside(contents.bytes)) return false;
            break;
        case DomainFile::Contents::State::missing:
            break;
        case DomainFile::Contents::State::unreadable:
            return false;
    }
    if (!root) root.reset(plist_new_dict());
    for (const auto& [key, value] : pending->second.values) {
        plist_dict_set_item(root.get(), key.c_str(), encode(value));
    }

    std::optional<std::string> document;
    {
        const CNumbers numbers;
        document = libplist::toXml(root.get());
    }
    // Strings other writers left in a binary file are written out raw: the document as a whole
    // must be text every XML reader hands back unchanged.
    if (!document || !fitsXmlText(*document) || !domainFile.replace(*document, beforeReplace_)) {
        return false;
    }
    const bool refused = pending->second.refused;
    pending_.erase(pending);
    return !refused;
}

}  // namespace tavix::platform
