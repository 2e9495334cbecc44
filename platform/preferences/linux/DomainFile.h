#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/preferences/linux/FileDescriptor.h"

namespace tavix::platform {

// The file of one preference domain in the preferences folder, and what may be done to it
// without losing anything the user keeps there.
class DomainFile {
  public:
    // Larger files are not taken into memory.
    static constexpr std::size_t kMaxSize = std::size_t{16} * 1024 * 1024;

    using BeforeReplace = std::function<void(const std::filesystem::path& temporary)>;

    struct Contents {
        enum class State { missing, read, unreadable };
        State state;
        std::string bytes;
    };

    explicit DomainFile(std::filesystem::path path) : path_(std::move(path)) {}

    // Never blocks: anything but a regular file (a FIFO, a device) is unreadable.
    Contents read() const;

    // Held by every Tavix process between reading the file and replacing it: an exclusive
    // advisory lock on "<file>.lock" beside it. Creates the preferences folder (0700).
    // Nothing when the lock cannot be had.
    std::optional<FileDescriptor> lock() const;

    // Copies bytes that could not be parsed to "<file>.corrupt", or ".corrupt.1", ".corrupt.2", …
    // whichever is free, following no link, and makes the copy durable.
    bool keepAside(std::string_view bytes) const;

    // Replaces the file atomically with the bytes. Through a symbolic link it is the link's
    // target that is replaced, in its own folder, so the link stays.
    bool replace(std::string_view bytes, const BeforeReplace& beforeReplace) const;

  private:
    std::filesystem::path path_;
};

}  // namespace tavix::platform
