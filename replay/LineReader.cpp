#include "replay/LineReader.h"

#include <unistd.h>

#include <cerrno>

namespace tavix::replay {

LineReader::LineReader(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

LineReader::LineReader(std::string text) : name_("the script"), buffer_(std::move(text)) {}

std::optional<std::string_view> LineReader::next() {
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    std::size_t searched = start_;
    for (;;) {
        const std::size_t end = buffer_.find('\n', searched);
        if (end != std::string::npos) {
            const std::string_view line = std::string_view(buffer_).substr(start_, end - start_);
            start_ = end + 1;
            return line;
        }
        if (fd_ < 0) break;
        buffer_.erase(0, start_);
        start_ = 0;
        searched = buffer_.size();
        buffer_.resize(searched + kChunk);
        const ssize_t n = ::read(fd_, buffer_.data() + searched, kChunk);
        buffer_.resize(searched + static_cast<std::size_t>(n > 0 ? n : 0));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error_ = errno;
        if (n <= 0) fd_ = -1;
    }
    // The last line may lack its newline.
    if (error_ != 0 || start_ == buffer_.size()) return std::nullopt;
    const std::string_view line = std::string_view(buffer_).substr(start_);
    start_ = buffer_.size();
    return line;
}

std::optional<std::string_view> LineReader::peek() {
    const auto line = next();
    // The line still lies in the buffer, where next() left it.
    if (line) start_ = static_cast<std::size_t>(line->data() - buffer_.data());
    return line;
}

}  // namespace tavix::replay
