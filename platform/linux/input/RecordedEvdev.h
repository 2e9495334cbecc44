#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/linux/input/EvdevNode.h"

namespace tavix::platform::input {

// A node's event stream fed by a test or a benchmark, read the way libevdev hands out a real
// one: a SYN_DROPPED pushed here starts a resync whose events run to the next SYN_REPORT.
class TAVIX_EVDEV_API RecordedStream {
  public:
    RecordedStream(AxisRange x, AxisRange y);
    ~RecordedStream();

    void push(const std::vector<TimedEvent>& events);
    // After the events pushed so far, the node reports that the device is gone.
    void vanish();
    bool hasVanished();
    void refuseGrab(bool refuse) { refuseGrab_ = refuse; }
    bool grabbed() const { return grabbed_; }
    bool isOpen() const { return opened_ > 0; }

  private:
    friend class RecordedNode;
    enum class Sync { none, inBlock, ended };

    EvdevNode::Read next(TimedEvent& out, bool syncing);

    const AxisRange x_;
    const AxisRange y_;
    // eventfd, readable from a push until the next read: as with a kernel node, whose buffer
    // libevdev empties into its own queue at the first read, so that events may still wait
    // while the descriptor no longer says so.
    const int fd_;
    std::mutex mutex_;
    std::deque<TimedEvent> events_;
    bool vanished_ = false;
    Sync sync_ = Sync::none;
    std::atomic<bool> refuseGrab_{false};
    std::atomic<bool> grabbed_{false};
    std::atomic<int> opened_{0};
};

// Devices for tests and benchmarks: nodes attached and detached by hand.
class TAVIX_EVDEV_API RecordedDevices final : public EvdevDevices {
  public:
    RecordedDevices();
    ~RecordedDevices() override;

    // The node is present from now on; its events come from the stream returned.
    std::shared_ptr<RecordedStream> attach(const MagicMouseNode& node, AxisRange x = {-1100, 1258},
                                           AxisRange y = {-1589, 2047});
    void detach(const std::filesystem::path& devnode);
    // Detach and attach in one step: a mouse back on its node before anyone looked.
    std::shared_ptr<RecordedStream> replace(const MagicMouseNode& node,
                                            AxisRange x = {-1100, 1258},
                                            AxisRange y = {-1589, 2047});
    void refuseOpen(bool refuse) { refuseOpen_ = refuse; }

    std::vector<MagicMouseNode> find() override;
    std::unique_ptr<EvdevNode> open(const MagicMouseNode& node) override;
    int changeFd() const override { return changes_; }
    void clearChanges() override;

  private:
    struct Entry {
        MagicMouseNode node;
        std::shared_ptr<RecordedStream> stream;
    };

    std::shared_ptr<RecordedStream> put(const MagicMouseNode& node, AxisRange x, AxisRange y,
                                        bool replacing);

    const int changes_;  // eventfd
    std::mutex mutex_;
    std::vector<Entry> entries_;
    std::atomic<bool> refuseOpen_{false};
};

// A first-model Magic Mouse node as sysfs would describe it.
TAVIX_EVDEV_API MagicMouseNode recordedMagicMouse(int number, const std::string& uniq = "");

}  // namespace tavix::platform::input
