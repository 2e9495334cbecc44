#include "platform/linux/input/RecordedEvdev.h"

#include <linux/input-event-codes.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

namespace tavix::platform::input {
namespace {

void signal(int fd) {
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = write(fd, &one, sizeof one);
}

void clear(int fd) {
    uint64_t count = 0;
    [[maybe_unused]] const auto got = read(fd, &count, sizeof count);
}

}  // namespace

class RecordedNode final : public EvdevNode {
  public:
    explicit RecordedNode(std::shared_ptr<RecordedStream> stream) : stream_(std::move(stream)) {
        ++stream_->opened_;
    }
    ~RecordedNode() override {
        stream_->grabbed_ = false;
        --stream_->opened_;
    }
    int fd() const override { return stream_->fd_; }
    Read next(TimedEvent& out, bool syncing) override { return stream_->next(out, syncing); }
    bool grab(bool exclusive) override {
        if (exclusive && stream_->refuseGrab_) return false;
        stream_->grabbed_ = exclusive;
        return true;
    }
    AxisRange axis(uint16_t code) const override {
        if (code == ABS_MT_POSITION_X) return stream_->x_;
        if (code == ABS_MT_POSITION_Y) return stream_->y_;
        return {};
    }

  private:
    std::shared_ptr<RecordedStream> stream_;
};

RecordedStream::RecordedStream(AxisRange x, AxisRange y)
    : x_(x), y_(y), fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

RecordedStream::~RecordedStream() {
    close(fd_);
}

void RecordedStream::push(const std::vector<TimedEvent>& events) {
    std::lock_guard guard(mutex_);
    events_.insert(events_.end(), events.begin(), events.end());
    signal(fd_);
}

bool RecordedStream::hasVanished() {
    std::lock_guard guard(mutex_);
    return vanished_;
}

void RecordedStream::vanish() {
    std::lock_guard guard(mutex_);
    vanished_ = true;
    signal(fd_);
}

EvdevNode::Read RecordedStream::next(TimedEvent& out, bool syncing) {
    std::lock_guard guard(mutex_);
    // As libevdev: a sync read outside a resync, or at its end, gives nothing.
    if (syncing && sync_ != Sync::inBlock) {
        sync_ = Sync::none;
        return EvdevNode::Read::again;
    }
    if (events_.empty()) {
        if (vanished_) return EvdevNode::Read::gone;
        clear(fd_);
        return EvdevNode::Read::again;
    }
    clear(fd_);
    out = events_.front();
    events_.pop_front();
    const InputEvent& e = out.event;
    if (e.type == EV_SYN && e.code == SYN_DROPPED) {
        sync_ = Sync::inBlock;
        return EvdevNode::Read::dropped;
    }
    if (sync_ == Sync::inBlock && e.type == EV_SYN && e.code == SYN_REPORT) sync_ = Sync::ended;
    return EvdevNode::Read::event;
}

RecordedDevices::RecordedDevices() : changes_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

RecordedDevices::~RecordedDevices() {
    close(changes_);
}

std::shared_ptr<RecordedStream> RecordedDevices::attach(const MagicMouseNode& node, AxisRange x,
                                                        AxisRange y) {
    return put(node, x, y, false);
}

std::shared_ptr<RecordedStream> RecordedDevices::replace(const MagicMouseNode& node, AxisRange x,
                                                         AxisRange y) {
    return put(node, x, y, true);
}

std::shared_ptr<RecordedStream> RecordedDevices::put(const MagicMouseNode& node, AxisRange x,
                                                     AxisRange y, bool replacing) {
    auto stream = std::make_shared<RecordedStream>(x, y);
    std::lock_guard guard(mutex_);
    if (replacing) {
        std::erase_if(entries_, [&](const Entry& e) { return e.node.devnode == node.devnode; });
    }
    entries_.push_back({node, stream});
    signal(changes_);
    return stream;
}

void RecordedDevices::detach(const std::filesystem::path& devnode) {
    std::lock_guard guard(mutex_);
    std::erase_if(entries_, [&](const Entry& e) { return e.node.devnode == devnode; });
    signal(changes_);
}

std::vector<MagicMouseNode> RecordedDevices::find() {
    std::lock_guard guard(mutex_);
    std::vector<MagicMouseNode> nodes;
    for (const auto& e : entries_) nodes.push_back(e.node);
    std::sort(nodes.begin(), nodes.end(),
              [](const auto& a, const auto& b) { return a.devnode < b.devnode; });
    return nodes;
}

std::unique_ptr<EvdevNode> RecordedDevices::open(const MagicMouseNode& node) {
    if (refuseOpen_) return nullptr;
    std::lock_guard guard(mutex_);
    for (const auto& e : entries_) {
        // A device that is gone cannot be opened again, though its node may still be listed.
        if (e.node.devnode == node.devnode && !e.stream->hasVanished()) {
            return std::make_unique<RecordedNode>(e.stream);
        }
    }
    return nullptr;
}

void RecordedDevices::clearChanges() {
    clear(changes_);
}

MagicMouseNode recordedMagicMouse(int number, const std::string& uniq) {
    return {.devnode = "/dev/input/event" + std::to_string(number),
            .bustype = 0x05,
            .model = *magicMouseModel(0x05ac, 0x030d),
            .name = "Apple Wireless Mouse",
            .uniq = uniq,
            .phys = "recorded-" + std::to_string(number)};
}

}  // namespace tavix::platform::input
