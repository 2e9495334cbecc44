#include "platform/linux/desktop/SwayIpc.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace tavix::platform::desktop {
namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeaderSize = kMagic.size() + 2 * sizeof(std::uint32_t);
// Sway's own replies are far smaller; anything larger is not Sway.
constexpr std::uint32_t kMaxReply = 16U * 1024 * 1024;

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool waitFor(int fd, short events, Clock::time_point deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, msLeft(deadline));
        if (ready > 0) return (entry.revents & events) != 0;
        if (ready == 0 || errno != EINTR) return false;
    }
}

bool sendAll(int fd, const char* data, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        if (!waitFor(fd, POLLOUT, deadline)) return false;
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool receiveAll(int fd, char* data, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        if (!waitFor(fd, POLLIN, deadline)) return false;
        const ssize_t got = ::recv(fd, data, size, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return false;
        data += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

QJsonDocument parse(std::string_view json) {
    return QJsonDocument::fromJson(
        QByteArray::fromRawData(json.data(), static_cast<qsizetype>(json.size())));
}

std::optional<double> number(const QJsonObject& object, const char* key) {
    const auto value = object.value(QLatin1String(key));
    return value.isDouble() ? std::optional(value.toDouble()) : std::nullopt;
}

}  // namespace

std::unique_ptr<SwayIpc> SwayIpc::connect(const std::filesystem::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return nullptr;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return nullptr;
    std::unique_ptr<SwayIpc> ipc(new SwayIpc(fd));
    // A local socket connects at once or not at all.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        return nullptr;
    }
    return ipc;
}

std::unique_ptr<SwayIpc> SwayIpc::connectFromEnvironment() {
    if (const char* sock = std::getenv("SWAYSOCK"); sock && *sock) return connect(sock);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return nullptr;
    const std::string prefix = "sway-ipc." + std::to_string(::getuid()) + ".";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(runtime, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || !name.ends_with(".sock")) continue;
        if (auto ipc = connect(entry.path())) return ipc;
    }
    return nullptr;
}

SwayIpc::~SwayIpc() {
    ::close(fd_);
}

std::optional<std::string> SwayIpc::request(Message type, std::string_view payload) {
    if (payload.size() > kMaxReply) return std::nullopt;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
    std::string message(kMagic);
    const auto length = static_cast<std::uint32_t>(payload.size());
    const auto code = static_cast<std::uint32_t>(type);
    message.append(reinterpret_cast<const char*>(&length), sizeof(length));
    message.append(reinterpret_cast<const char*>(&code), sizeof(code));
    message.append(payload);
    if (!sendAll(fd_, message.data(), message.size(), deadline)) return std::nullopt;
    // Events are never subscribed to, so the next reply is this request's.
    char header[kHeaderSize];
    if (!receiveAll(fd_, header, sizeof(header), deadline)) return std::nullopt;
    std::uint32_t replyLength = 0;
    std::uint32_t replyType = 0;
    std::memcpy(&replyLength, header + kMagic.size(), sizeof(replyLength));
    std::memcpy(&replyType, header + kMagic.size() + sizeof(replyLength), sizeof(replyType));
    if (std::string_view(header, kMagic.size()) != kMagic || replyType != code ||
        replyLength > kMaxReply) {
        return std::nullopt;
    }
    std::string reply(replyLength, '\0');
    if (!receiveAll(fd_, reply.data(), reply.size(), deadline)) return std::nullopt;
    return reply;
}

std::optional<SwayIpc::CommandResult> SwayIpc::runCommand(std::string_view command) {
    const auto reply = request(Message::runCommand, command);
    if (!reply) return std::nullopt;
    const auto document = parse(*reply);
    if (!document.isArray()) return std::nullopt;
    for (const auto& entry : document.array()) {
        const auto object = entry.toObject();
        if (!object.value(QLatin1String("success")).toBool()) {
            return CommandResult{false,
                                 object.value(QLatin1String("error")).toString().toStdString()};
        }
    }
    return CommandResult{true, {}};
}

std::optional<std::vector<SwayInput>> parseSwayInputs(std::string_view json) {
    const auto document = parse(json);
    if (!document.isArray()) return std::nullopt;
    std::vector<SwayInput> inputs;
    for (const auto& entry : document.array()) {
        const auto object = entry.toObject();
        SwayInput input;
        input.identifier = object.value(QLatin1String("identifier")).toString().toStdString();
        input.name = object.value(QLatin1String("name")).toString().toStdString();
        input.vendor = object.value(QLatin1String("vendor")).toInteger();
        input.product = object.value(QLatin1String("product")).toInteger();
        input.scrollFactor = number(object, "scroll_factor");
        const auto libinput = object.value(QLatin1String("libinput")).toObject();
        input.accelSpeed = number(libinput, "accel_speed");
        const auto natural = libinput.value(QLatin1String("natural_scroll")).toString();
        if (natural == QLatin1String("enabled")) input.naturalScroll = true;
        if (natural == QLatin1String("disabled")) input.naturalScroll = false;
        inputs.push_back(std::move(input));
    }
    return inputs;
}

std::optional<std::string> focusedSwayWorkspace(std::string_view json) {
    const auto document = parse(json);
    for (const auto& entry : document.array()) {
        const auto object = entry.toObject();
        if (object.value(QLatin1String("focused")).toBool()) {
            return object.value(QLatin1String("name")).toString().toStdString();
        }
    }
    return std::nullopt;
}

std::optional<std::string> quoteForSway(std::string_view text) {
    for (const char c : text) {
        if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return std::nullopt;
        }
    }
    return "\"" + std::string(text) + "\"";
}

}  // namespace tavix::platform::desktop
