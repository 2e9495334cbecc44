#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/linux/input/EvdevNode.h"
#include "platform/linux/input/MultitouchDecoder.h"

namespace tavix::platform::input {

struct MagicMouseDevice {
    uint64_t key = 0;       // this opening of the node: a mouse that comes back gets a new one
    uint64_t deviceID = 0;  // the same physical mouse across openings
    MagicMouseNode node;
};

// From the Bluetooth or USB address when the kernel reports one, else from the physical path.
TAVIX_EVDEV_API uint64_t stableDeviceID(const MagicMouseNode& node);

// Someone the reader hands a device's input to. Every call runs on the reader thread.
class TAVIX_EVDEV_API MagicMouseListener {
  public:
    virtual ~MagicMouseListener() = default;
    virtual void opened(const MagicMouseDevice&) {}
    virtual void frame(const MagicMouseDevice&, const DecodedFrame&) {}
    // The node vanished or was closed; no frame of this key follows.
    virtual void closed(const MagicMouseDevice&) {}
    // After each round of reading: how long the reader may sleep, in ms (-1: until input).
    virtual int idle() { return -1; }
};

// The one owner of every Magic Mouse descriptor in the process: one thread, one epoll set,
// libevdev behind the EvdevDevices seam. The multitouch framework takes its frames and the event
// tap its buttons and wheels; since a grab gives a node's events to one descriptor only, both
// must read through here. It lives in its own shared library so that the dlopen'd framework and
// the application reach the same instance.
class TAVIX_EVDEV_API MagicMouseReader {
  public:
    // Over the machine's devices; started on first use, never destroyed.
    static MagicMouseReader& shared();

    explicit MagicMouseReader(std::unique_ptr<EvdevDevices> devices);
    ~MagicMouseReader();
    MagicMouseReader(const MagicMouseReader&) = delete;
    MagicMouseReader& operator=(const MagicMouseReader&) = delete;

    // Looks for nodes that came or went, then lists the open ones in node order.
    std::vector<MagicMouseDevice> devices();
    // opened() is called at once for the nodes already open.
    void addListener(MagicMouseListener& listener);
    // Once this returns, no call of the listener runs or starts.
    void removeListener(MagicMouseListener& listener);

    // Runs the task on the reader thread and waits for it; runs it at once on that thread.
    void call(const std::function<void()>& task);
    // Reader thread only.
    bool grab(uint64_t key, bool exclusive);
    // Makes the reader ask its listeners' idle() again soon.
    void wake();
    // While suspended every node is closed, which ends its grab, and none is opened: the mouse
    // belongs to whoever has the seat. Resuming looks for the nodes again.
    void setSuspended(bool suspended);

  private:
    struct Open {
        MagicMouseDevice device;
        std::unique_ptr<EvdevNode> node;
        MultitouchDecoder decoder;
        bool syncing = false;  // a resync after dropped events is under way
    };

    void run();
    // One round of epoll: reads every node that is ready.
    void poll(int timeout);
    void runTasks();
    void rescan();
    // True when the round ended with events possibly still queued in libevdev.
    bool read(uint64_t key);
    void close(uint64_t key);
    bool onReaderThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    const std::unique_ptr<EvdevDevices> devices_;
    const int epoll_;
    const int wake_;    // eventfd: tasks waiting, or stop
    std::mutex mutex_;  // guards tasks_ and stopping_
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;

    // Reader thread only.
    std::map<uint64_t, Open> open_;
    std::vector<MagicMouseListener*> listeners_;
    uint64_t nextKey_ = 16;  // keys below mark the wake and change descriptors
    bool rescanDue_ = false;
    bool suspended_ = false;
    // Nodes whose last round ran out of budget: libevdev may hold events the kernel no longer
    // signals, so they are read again without waiting.
    std::set<uint64_t> unfinished_;

    std::thread thread_;  // last: starts once everything above is set
};

}  // namespace tavix::platform::input
