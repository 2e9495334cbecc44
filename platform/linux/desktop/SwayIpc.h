#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavix::platform::desktop {

// A connection to Sway's IPC socket (the i3-ipc protocol: "i3-ipc", payload length and message
// type in native byte order, then the payload; the reply has the same header). Every request
// waits at most kTimeoutMs for its reply. Not thread-safe; one per caller.
class SwayIpc {
  public:
    enum class Message : std::uint32_t { runCommand = 0, getWorkspaces = 1, getInputs = 100 };
    static constexpr int kTimeoutMs = 2000;

    // What a RUN_COMMAND reply says of the commands sent: all went through, or the error of the
    // first that did not.
    struct CommandResult {
        bool success = false;
        std::string error;
    };

    // $SWAYSOCK, else the first sway-ipc.UID.*.sock of this user in $XDG_RUNTIME_DIR that
    // accepts a connection; nothing when Sway cannot be reached.
    static std::unique_ptr<SwayIpc> connectFromEnvironment();
    static std::unique_ptr<SwayIpc> connect(const std::filesystem::path& socket);

    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    // The reply's payload; nothing when the connection failed or the reply is not one.
    std::optional<std::string> request(Message type, std::string_view payload);
    // Nothing when Sway did not answer.
    std::optional<CommandResult> runCommand(std::string_view command);

  private:
    explicit SwayIpc(int fd) : fd_(fd) {}
    int fd_;
};

// The pointer-like inputs Sway lists (GET_INPUTS), with what Tavix reads of them.
struct SwayInput {
    std::string identifier;  // "vendor:product:name", blanks in the name as '_'
    std::string name;
    std::int64_t vendor = 0;
    std::int64_t product = 0;
    std::optional<double> accelSpeed;  // libinput's −1…1
    std::optional<bool> naturalScroll;
    std::optional<double> scrollFactor;
};
// Nothing when the reply is not a JSON array of inputs.
std::optional<std::vector<SwayInput>> parseSwayInputs(std::string_view json);

// The name of the focused workspace in a GET_WORKSPACES reply.
std::optional<std::string> focusedSwayWorkspace(std::string_view json);

// The text in double quotes for a Sway command; nothing when it holds a quote, a backslash or a
// control character, which could end the quoted word and start a command of its own.
std::optional<std::string> quoteForSway(std::string_view text);

}  // namespace tavix::platform::desktop
