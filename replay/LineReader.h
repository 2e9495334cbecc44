#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavix::replay {

// The lines of an input, read from a file descriptor or given whole, with a failure to read told
// apart from the end (a stream cannot tell them apart, so a broken input looked complete).
class LineReader {
  public:
    // Reads `fd`, which stays open and owned by the caller; `name` says what it is in messages.
    LineReader(int fd, std::string name);
    // An input already in memory.
    explicit LineReader(std::string text);

    // The next line without its newline, valid until the next call; nothing at the end, or once
    // a read has failed (a line cut by the failure is not given).
    std::optional<std::string_view> next();
    // The next line, left to be given again by next().
    std::optional<std::string_view> peek();

    // The errno of the read that failed; 0 while none has.
    int error() const { return error_; }
    const std::string& name() const { return name_; }

  private:
    int fd_ = -1;  // -1 once everything has been read
    std::string name_;
    std::string buffer_;
    std::size_t start_ = 0;  // where the next line begins in buffer_
    int error_ = 0;
};

}  // namespace tavix::replay
