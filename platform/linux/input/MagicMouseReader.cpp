#include "platform/linux/input/MagicMouseReader.h"

#include <linux/input-event-codes.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <future>
#include <optional>
#include <utility>

namespace tavix::platform::input {
namespace {

constexpr uint64_t kWakeKey = 1;
constexpr uint64_t kChangeKey = 2;
// Events read from one node per round, so that one busy node cannot starve the others.
constexpr int kEventsPerRound = 512;

uint64_t fnv1a(std::string_view text) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

// "aa:bb:cc:dd:ee:ff" (one or two hex digits a byte) as a number.
std::optional<uint64_t> bluetoothAddress(std::string_view text) {
    uint64_t address = 0;
    for (int byte = 0; byte < 6; ++byte) {
        if (byte > 0) {
            if (text.empty() || text.front() != ':') return std::nullopt;
            text.remove_prefix(1);
        }
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        const auto digits = end - text.data();
        if (error != std::errc() || digits < 1 || digits > 2) return std::nullopt;
        address = address << 8 | value;
        text.remove_prefix(static_cast<size_t>(digits));
    }
    if (!text.empty()) return std::nullopt;
    return address;
}

void add(int epoll, int fd, uint64_t key) {
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = key;
    epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &ev);
}

}  // namespace

uint64_t stableDeviceID(const MagicMouseNode& node) {
    if (const auto address = bluetoothAddress(node.uniq); address && *address != 0) {
        return *address;
    }
    const std::string& name = !node.uniq.empty()   ? node.uniq
                              : !node.phys.empty() ? node.phys
                                                   : node.devnode.string();
    return fnv1a(name) | 1;  // never 0, which means "unknown" to the framework
}

MagicMouseReader& MagicMouseReader::shared() {
    // Never destroyed: frames may be read until the process ends.
    static auto* reader = new MagicMouseReader(systemEvdevDevices());
    return *reader;
}

MagicMouseReader::MagicMouseReader(std::unique_ptr<EvdevDevices> devices)
    : devices_(std::move(devices)),
      epoll_(epoll_create1(EPOLL_CLOEXEC)),
      wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      thread_([this] { run(); }) {}

MagicMouseReader::~MagicMouseReader() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    wake();
    thread_.join();
    runTasks();  // callers waiting on a task are released
    open_.clear();
    ::close(wake_);
    ::close(epoll_);
}

void MagicMouseReader::wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wake_, &one, sizeof one);
}

void MagicMouseReader::call(const std::function<void()>& task) {
    if (onReaderThread()) {
        task();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    {
        std::lock_guard guard(mutex_);
        tasks_.emplace_back([&] {
            task();
            done.set_value();
        });
    }
    wake();
    finished.wait();
}

void MagicMouseReader::runTasks() {
    // Only those asked for so far: a later one waits for the next round of reading.
    std::deque<std::function<void()>> due;
    {
        std::lock_guard guard(mutex_);
        due.swap(tasks_);
    }
    for (auto& task : due) task();
}

std::vector<MagicMouseDevice> MagicMouseReader::devices() {
    std::vector<MagicMouseDevice> found;
    // Asked by a listener in the middle of a read: looking again now could close the very node
    // being read, so the look waits for the end of the round.
    const bool nested = onReaderThread();
    call([&] {
        if (nested) {
            rescanDue_ = true;
        } else {
            rescan();
        }
        for (const auto& [key, open] : open_) found.push_back(open.device);
    });
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.node.devnode < b.node.devnode; });
    return found;
}

void MagicMouseReader::addListener(MagicMouseListener& listener) {
    call([&] {
        if (std::ranges::find(listeners_, &listener) != listeners_.end()) return;
        listeners_.push_back(&listener);
        for (const auto& [key, open] : open_) listener.opened(open.device);
    });
}

void MagicMouseReader::removeListener(MagicMouseListener& listener) {
    call([&] { std::erase(listeners_, &listener); });
}

void MagicMouseReader::setSuspended(bool suspended) {
    call([this, suspended] {
        suspended_ = suspended;
        rescan();
    });
}

bool MagicMouseReader::grab(uint64_t key, bool exclusive) {
    auto found = open_.find(key);
    return found != open_.end() && found->second.node->grab(exclusive);
}

void MagicMouseReader::run() {
    add(epoll_, wake_, kWakeKey);
    if (devices_->changeFd() >= 0) add(epoll_, devices_->changeFd(), kChangeKey);
    int timeout = -1;
    for (;;) {
        poll(timeout);
        for (const uint64_t key : std::exchange(unfinished_, {})) {
            if (read(key)) unfinished_.insert(key);
        }
        bool tasks = false;
        {
            std::lock_guard guard(mutex_);
            if (stopping_) return;
            tasks = !tasks_.empty();
        }
        if (tasks) {
            // A task sees every event written before it was asked for.
            poll(0);
            runTasks();
        }
        if (rescanDue_) rescan();
        timeout = unfinished_.empty() ? -1 : 0;
        for (auto* listener : listeners_) {
            const int wanted = listener->idle();
            if (wanted >= 0 && (timeout < 0 || wanted < timeout)) timeout = wanted;
        }
    }
}

void MagicMouseReader::poll(int timeout) {
    std::array<epoll_event, 16> ready;
    const int n = epoll_wait(epoll_, ready.data(), static_cast<int>(ready.size()), timeout);
    for (int i = 0; i < n; ++i) {
        const uint64_t key = ready[static_cast<std::size_t>(i)].data.u64;
        if (key == kWakeKey) {
            uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(wake_, &count, sizeof count);
        } else if (key == kChangeKey) {
            devices_->clearChanges();
            rescanDue_ = true;
        } else if (read(key)) {
            unfinished_.insert(key);
        }
    }
}

void MagicMouseReader::rescan() {
    rescanDue_ = false;
    const auto nodes = suspended_ ? std::vector<MagicMouseNode>() : devices_->find();
    std::vector<uint64_t> vanished;
    for (const auto& entry : open_) {
        const auto& devnode = entry.second.device.node.devnode;
        const bool present = std::ranges::any_of(
            nodes, [&](const MagicMouseNode& n) { return n.devnode == devnode; });
        if (!present) vanished.push_back(entry.first);
    }
    for (uint64_t key : vanished) close(key);

    for (const auto& node : nodes) {
        const bool known = std::ranges::any_of(open_, [&](const auto& entry) {
            return entry.second.device.node.devnode == node.devnode;
        });
        if (known) continue;
        auto evdev = devices_->open(node);
        if (!evdev) continue;  // tried again at the next rescan
        const uint64_t key = nextKey_++;
        MultitouchDecoder decoder(node.model.geometry, evdev->axis(ABS_MT_POSITION_X),
                                  evdev->axis(ABS_MT_POSITION_Y));
        add(epoll_, evdev->fd(), key);
        auto& open = open_
                         .emplace(key, Open{{key, stableDeviceID(node), node},
                                            std::move(evdev),
                                            std::move(decoder)})
                         .first->second;
        for (auto* listener : listeners_) listener->opened(open.device);
    }
}

bool MagicMouseReader::read(uint64_t key) {
    auto found = open_.find(key);
    if (found == open_.end()) return false;
    Open& open = found->second;
    bool& syncing = open.syncing;
    TimedEvent event;
    for (int budget = kEventsPerRound; budget > 0; --budget) {
        switch (open.node->next(event, syncing)) {
            case EvdevNode::Read::event:
                if (open.decoder.feed(event)) {
                    for (auto* listener : listeners_)
                        listener->frame(open.device, open.decoder.frame());
                }
                break;
            case EvdevNode::Read::dropped:
                syncing = true;
                break;
            case EvdevNode::Read::again:
                if (!syncing) return false;
                syncing = false;  // resynced; normal events may follow
                break;
            case EvdevNode::Read::gone:
                close(key);
                rescanDue_ = true;  // the same node name may already be a new device
                return false;
        }
    }
    return true;
}

void MagicMouseReader::close(uint64_t key) {
    auto found = open_.find(key);
    if (found == open_.end()) return;
    epoll_ctl(epoll_, EPOLL_CTL_DEL, found->second.node->fd(), nullptr);
    const MagicMouseDevice device = found->second.device;
    open_.erase(found);  // closing the descriptor also ends a grab
    for (auto* listener : listeners_) listener->closed(device);
}

}  // namespace tavix::platform::input
