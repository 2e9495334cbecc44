#include "platform/preferences/linux/DomainFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace tavix::platform {
namespace {

namespace fs = std::filesystem;

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;
// Beyond this many kept copies something keeps breaking the file; stop writing rather than
// fill the folder.
constexpr int kMaxCopiesKept = 1000;

bool isDirectory(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Missing folders are made private whatever the umask; existing ones are left as they are.
bool createPrivateDirectories(const fs::path& directory) {
    fs::path partial;
    for (const auto& part : directory) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) == 0) {
            if (::chmod(partial.c_str(), 0700) != 0) return false;
        } else if (errno != EEXIST && !isDirectory(partial)) {
            return false;
        }
    }
    return isDirectory(directory);
}

bool writeAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Makes entries just created or renamed in the folder durable; failing here loses nothing
// already written.
void syncDirectory(const fs::path& directory) {
    FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) ::fsync(fd.get());
}

// Where the file really lives: the end of its chain of symbolic links (which may not exist yet).
std::optional<fs::path> resolveLinks(fs::path path) {
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT) return path;
            return std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) return path;
        std::error_code error;
        const fs::path target = fs::read_symlink(path, error);
        if (error) return std::nullopt;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return std::nullopt;
}

}  // namespace

DomainFile::Contents DomainFile::read() const {
    FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) {
        return {errno == ENOENT ? Contents::State::missing : Contents::State::unreadable, {}};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > kMaxSize) {
        return {Contents::State::unreadable, {}};
    }
    std::string bytes;
    char chunk[8192];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {Contents::State::unreadable, {}};
        if (got == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxSize) return {Contents::State::unreadable, {}};
    }
    return {Contents::State::read, std::move(bytes)};
}

std::optional<FileDescriptor> DomainFile::lock() const {
    if (!createPrivateDirectories(path_.parent_path())) return std::nullopt;
    fs::path lockPath = path_;
    lockPath += ".lock";
    FileDescriptor fd(
        ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!fd.valid()) return std::nullopt;
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) return std::nullopt;
    }
    return fd;
}

bool DomainFile::keepAside(std::string_view bytes) const {
    for (int copy = 0; copy < kMaxCopiesKept; ++copy) {
        fs::path name = path_;
        name += ".corrupt";
        if (copy > 0) name += "." + std::to_string(copy);
        FileDescriptor fd(
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd.valid()) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.close()) {
            ::unlink(name.c_str());
            return false;
        }
        syncDirectory(path_.parent_path());
        return true;
    }
    return false;
}

// Either the old file or the complete new one is in place at every moment, even across a crash.
bool DomainFile::replace(std::string_view bytes, const BeforeReplace& beforeReplace) const {
    const auto target = resolveLinks(path_);
    if (!target) return false;
    const fs::path directory = target->parent_path();
    // The permissions the user gave the file stay; a new file is private.
    mode_t mode = 0600;
    if (struct stat info{}; ::stat(target->c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        mode = info.st_mode & 0777;
    }

    std::string pattern = (directory / ("." + target->filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid()) return false;
    const fs::path temporary = pattern;
    if (::fchmod(fd.get(), mode) != 0 || !writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 ||
        !fd.close()) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (beforeReplace) beforeReplace(temporary);
    if (::rename(temporary.c_str(), target->c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectory(directory);
    return true;
}

}  // namespace tavix::platform
