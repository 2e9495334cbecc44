#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tavix::platform {

// What reading the Magic Mice comes to: none is there, one of them is refused, or every one
// present can be read.
enum class MouseAccess { noMouse, refused, granted };

// The two grants Tavix needs from the user: reading the mouse (trust) and posting events. Both
// queries are real access tests, cheap enough to repeat every few seconds.
class Permissions {
  public:
    // Runs on the main queue. `asked` is false when the system had no way to ask the user, so
    // the help page should be shown instead.
    using Completion = std::function<void(bool asked)>;

    virtual ~Permissions() = default;
    virtual MouseAccess mouseAccess() = 0;
    // Trust: no mouse is refused. With none present there is nothing to refuse, but nothing was
    // granted either: only `granted` shows that a grant arrived.
    bool isTrusted() { return mouseAccess() != MouseAccess::refused; }
    virtual bool canPostEvents() = 0;
    // A quiet request, repeated on every health tick while the grant is missing.
    virtual void requestPostEventAccess() = 0;
    // Asks the user for both grants in the system's own way. Main thread; returns at once.
    virtual void requestGrants(Completion completion) = 0;
    // The page that explains how to grant them by hand.
    virtual std::string helpPage() const = 0;
};

// The process-wide Permissions; the simulated one until another is installed.
Permissions& permissions();
std::shared_ptr<Permissions> installPermissions(std::shared_ptr<Permissions> service);

}  // namespace tavix::platform
