#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <deque>
#include <optional>
#include <utility>

#include "platform/linux/input/EvdevNode.h"

namespace tavix::platform::input {
namespace {

class LibevdevNode final : public EvdevNode {
  public:
    // `clock`: what the node stamps its events with, when the kernel took it; otherwise the
    // node keeps a clock of its own that only its events show.
    LibevdevNode(int fd, libevdev* dev, std::optional<clockid_t> clock) : fd_(fd), dev_(dev) {
        queueCurrentSlots(clock);
    }
    ~LibevdevNode() override {
        libevdev_free(dev_);
        close(fd_);  // also ends a grab
    }

    int fd() const override { return fd_; }

    Read next(TimedEvent& out, bool syncing) override {
        if (!opening_.empty()) {
            if (!openingStamped_) {
                // The contacts at opening take the time of the first event after them, so that
                // times never run backwards whatever clock the node keeps.
                TimedEvent first;
                const Read read = readDevice(first, syncing);
                if (read != Read::event && read != Read::dropped) return read;
                for (auto& e : opening_) e.time = first.time;
                afterOpening_ = {read, first};
                openingStamped_ = true;
            }
            out = opening_.front();
            opening_.pop_front();
            return Read::event;
        }
        if (afterOpening_) {
            out = afterOpening_->second;
            return std::exchange(afterOpening_, std::nullopt)->first;
        }
        return readDevice(out, syncing);
    }

    bool grab(bool exclusive) override {
        return libevdev_grab(dev_, exclusive ? LIBEVDEV_GRAB : LIBEVDEV_UNGRAB) == 0;
    }

    AxisRange axis(uint16_t absCode) const override {
        const input_absinfo* info = libevdev_get_abs_info(dev_, absCode);
        return info ? AxisRange{info->minimum, info->maximum} : AxisRange{};
    }

  private:
    Read readDevice(TimedEvent& out, bool syncing) {
        input_event ev{};
        const int rc = libevdev_next_event(
            dev_, syncing ? LIBEVDEV_READ_FLAG_SYNC : LIBEVDEV_READ_FLAG_NORMAL, &ev);
        if (rc == -EAGAIN) return Read::again;
        if (rc < 0) return Read::gone;
        out.time = static_cast<double>(ev.input_event_sec) + ev.input_event_usec / 1e6;
        out.event = {ev.type, ev.code, ev.value};
        if (rc == LIBEVDEV_READ_STATUS_SYNC && !syncing) return Read::dropped;
        return Read::event;
    }

    // Opened mid-touch, the node only reports changes: the contacts it already has come first.
    void queueCurrentSlots(std::optional<clockid_t> clock) {
        double time = 0;
        if (clock) {
            timespec now{};
            clock_gettime(*clock, &now);
            time = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
        }
        openingStamped_ = clock.has_value();
        auto add = [this, time](uint16_t code, int value) {
            opening_.push_back({time, {EV_ABS, code, static_cast<int32_t>(value)}});
        };
        const int slots = libevdev_get_num_slots(dev_);
        if (slots <= 0) return;
        for (int s = 0; s < slots; ++s) {
            const int id = libevdev_get_slot_value(dev_, s, ABS_MT_TRACKING_ID);
            if (id < 0) continue;
            add(ABS_MT_SLOT, s);
            add(ABS_MT_TRACKING_ID, id);
            for (uint16_t code : {ABS_MT_POSITION_X, ABS_MT_POSITION_Y, ABS_MT_TOUCH_MAJOR,
                                  ABS_MT_TOUCH_MINOR, ABS_MT_ORIENTATION}) {
                add(code, libevdev_get_slot_value(dev_, s, code));
            }
        }
        add(ABS_MT_SLOT, libevdev_get_current_slot(dev_));
        opening_.push_back({time, {EV_SYN, SYN_REPORT, 0}});
    }

    const int fd_;
    libevdev* const dev_;
    std::deque<TimedEvent> opening_;
    bool openingStamped_ = false;
    std::optional<std::pair<Read, TimedEvent>> afterOpening_;
};

class SystemEvdevDevices final : public EvdevDevices {
  public:
    SystemEvdevDevices() : inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        // Attribute changes too: udev grants access a moment after the node appears.
        if (inotify_ >= 0)
            inotify_add_watch(inotify_, "/dev/input", IN_CREATE | IN_DELETE | IN_ATTRIB);
    }
    ~SystemEvdevDevices() override {
        if (inotify_ >= 0) close(inotify_);
    }

    std::vector<MagicMouseNode> find() override { return findMagicMouseNodes(); }

    std::unique_ptr<EvdevNode> open(const MagicMouseNode& node) override {
        const int fd = ::open(node.devnode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return nullptr;
        libevdev* dev = nullptr;
        if (libevdev_new_from_fd(fd, &dev) != 0) {
            close(fd);
            return nullptr;
        }
        // Stamps on the clock that uptime uses, never the wall clock. A node that refuses keeps
        // its own clock.
        const bool monotonic = libevdev_set_clock_id(dev, CLOCK_MONOTONIC) == 0;
        return std::make_unique<LibevdevNode>(
            fd, dev, monotonic ? std::optional<clockid_t>(CLOCK_MONOTONIC) : std::nullopt);
    }

    int changeFd() const override { return inotify_; }

    void clearChanges() override {
        alignas(inotify_event) char buffer[4096];
        while (read(inotify_, buffer, sizeof buffer) > 0) {
        }
    }

  private:
    const int inotify_;
};

}  // namespace

std::unique_ptr<EvdevDevices> systemEvdevDevices() {
    return std::make_unique<SystemEvdevDevices>();
}

}  // namespace tavix::platform::input
