#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/linux/input/EvdevApi.h"
#include "platform/linux/input/InputSink.h"
#include "platform/linux/input/MagicMouseNodes.h"

namespace tavix::platform::input {

struct TimedEvent {
    double time = 0;  // seconds, the kernel's stamp
    InputEvent event;
};

struct AxisRange {
    int32_t minimum = 0;
    int32_t maximum = 0;
    bool valid() const { return maximum > minimum; }
};

// One open evdev node as libevdev hands out its events: the only way the reader touches a
// device, so that tests feed recorded streams instead.
class TAVIX_EVDEV_API EvdevNode {
  public:
    enum class Read {
        event,    // `out` holds the next event
        dropped,  // the kernel dropped events: read on with syncing set until `again`
        again,    // nothing more for now
        gone,     // the device vanished
    };

    virtual ~EvdevNode() = default;
    // Readable while events wait.
    virtual int fd() const = 0;
    // While syncing, the events are the state the kernel has now compared with what was read
    // before the drop, ending with a SYN_REPORT.
    virtual Read next(TimedEvent& out, bool syncing) = 0;
    // Exclusive access: nobody else, the compositor included, sees the node's events.
    virtual bool grab(bool exclusive) = 0;
    virtual AxisRange axis(uint16_t absCode) const = 0;
};

// Where nodes come from: the Magic Mouse nodes present now, and the opening of one.
class TAVIX_EVDEV_API EvdevDevices {
  public:
    virtual ~EvdevDevices() = default;
    virtual std::vector<MagicMouseNode> find() = 0;
    // Nothing when the node cannot be opened (no permission, gone).
    virtual std::unique_ptr<EvdevNode> open(const MagicMouseNode& node) = 0;
    // Readable when nodes may have come or gone; -1 when changes are only seen by find().
    virtual int changeFd() const { return -1; }
    virtual void clearChanges() {}
};

// The machine's devices: sysfs, /dev/input (watched with inotify) and libevdev.
TAVIX_EVDEV_API std::unique_ptr<EvdevDevices> systemEvdevDevices();

}  // namespace tavix::platform::input
