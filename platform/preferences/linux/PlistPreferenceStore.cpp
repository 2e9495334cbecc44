#include "platform/preferences/linux/PlistPreferenceStore.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

namespace tavix::platform {
namespace {

namespace fs = std::filesystem;

struct PlistFree {
    void operator()(void* node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

struct XmlFree {
    void operator()(char* xml) const { plist_to_xml_free(xml); }
};

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closing can report a failed write-back, so writers close explicitly.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

  private:
    int fd_;
};

// Far beyond any real preference file; larger ones are not taken into memory.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

struct LoadedDomain {
    enum class State { missing, parsed, unparsable, unreadable };
    State state;
    PlistPtr root;  // a dictionary when parsed
};

LoadedDomain load(const fs::path& file) {
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return {errno == ENOENT ? LoadedDomain::State::missing : LoadedDomain::State::unreadable,
                nullptr};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
        return {LoadedDomain::State::unreadable, nullptr};
    }
    std::vector<char> bytes;
    char chunk[8192];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {LoadedDomain::State::unreadable, nullptr};
        if (got == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > static_cast<std::size_t>(kMaxFileSize)) {
            return {LoadedDomain::State::unreadable, nullptr};
        }
    }
    plist_t root = nullptr;
    if (!bytes.empty()) {
        // Binary property lists (copied from elsewhere) are read too; writes are XML.
        plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    }
    PlistPtr owned(root);
    if (!owned || plist_get_node_type(owned.get()) != PLIST_DICT) {
        return {LoadedDomain::State::unparsable, nullptr};
    }
    return {LoadedDomain::State::parsed, std::move(owned)};
}

std::optional<PreferenceValue> decode(plist_t node) {
    if (!node) return std::nullopt;
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PreferenceValue(value != 0);
        }
        case PLIST_UINT: {
            // Stored as the two's complement of signed values.
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            return PreferenceValue(static_cast<std::int64_t>(value));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return PreferenceValue(value);
        }
        case PLIST_STRING: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            if (!text) return std::nullopt;
            return PreferenceValue(std::string(text, length));
        }
        case PLIST_ARRAY:
        case PLIST_DICT:
        case PLIST_DATE:
        case PLIST_DATA:
        case PLIST_KEY:
        case PLIST_UID:
        case PLIST_NONE:
            return std::nullopt;
    }
    return std::nullopt;
}

plist_t encode(const PreferenceValue& value) {
    struct Encoder {
        plist_t operator()(bool boolean) const { return plist_new_bool(boolean ? 1 : 0); }
        plist_t operator()(std::int64_t integer) const {
            return plist_new_uint(static_cast<uint64_t>(integer));
        }
        plist_t operator()(double real) const { return plist_new_real(real); }
        plist_t operator()(const std::string& string) const {
            return plist_new_string(string.c_str());
        }
    };
    return std::visit(Encoder{}, value);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Either the old file or the complete new one is in place at every moment, even across a crash.
bool replaceAtomically(const fs::path& file, const char* data, std::size_t size,
                       const PlistPreferenceStore::BeforeReplace& beforeReplace) {
    const fs::path directory = file.parent_path();
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) return false;

    std::string pattern = (directory / ("." + file.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid()) return false;
    const fs::path temporary = pattern;
    if (!writeAll(fd.get(), data, size) || ::fsync(fd.get()) != 0 || !fd.close()) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (beforeReplace) beforeReplace(temporary);
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; failing here loses nothing already written.
    FileDescriptor directoryFd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directoryFd.valid()) ::fsync(directoryFd.get());
    return true;
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
        if (const auto found = pending->second.find(key); found != pending->second.end()) {
            return found->second;
        }
    }
    const auto file = fileFor(domain);
    if (!file) return std::nullopt;
    const LoadedDomain loaded = load(*file);
    if (loaded.state != LoadedDomain::State::parsed) return std::nullopt;
    return decode(plist_dict_get_item(loaded.root.get(), key.c_str()));
}

void PlistPreferenceStore::setValue(const std::string& key, const PreferenceValue& value,
                                    const PreferenceDomain& domain) {
    if (!fileFor(domain)) return;
    std::lock_guard guard(mutex_);
    pending_[domain].insert_or_assign(key, value);
}

bool PlistPreferenceStore::synchronize(const PreferenceDomain& domain) {
    const auto file = fileFor(domain);
    if (!file) return false;
    std::lock_guard guard(mutex_);
    const auto pending = pending_.find(domain);
    if (pending == pending_.end()) return true;

    LoadedDomain loaded = load(*file);
    switch (loaded.state) {
        case LoadedDomain::State::parsed:
            break;
        case LoadedDomain::State::missing:
            loaded.root.reset(plist_new_dict());
            break;
        case LoadedDomain::State::unparsable: {
            std::error_code error;
            fs::path kept = *file;
            kept += ".corrupt";
            fs::copy_file(*file, kept, fs::copy_options::overwrite_existing, error);
            if (error) return false;
            loaded.root.reset(plist_new_dict());
            break;
        }
        case LoadedDomain::State::unreadable:
            return false;
    }
    for (const auto& [key, value] : pending->second) {
        plist_dict_set_item(loaded.root.get(), key.c_str(), encode(value));
    }

    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(loaded.root.get(), &xml, &length);
    const std::unique_ptr<char, XmlFree> ownedXml(xml);
    if (!ownedXml) return false;
    if (!replaceAtomically(*file, ownedXml.get(), length, beforeReplace_)) return false;
    pending_.erase(pending);
    return true;
}

}  // namespace tavix::platform
