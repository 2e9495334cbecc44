#include "Tavix/touch/MultitouchManager.h"

#include <dlfcn.h>

#include <array>
#include <cstring>
#include <set>
#include <shared_mutex>
#include <thread>
#include <vector>

#ifndef TAVIX_MULTITOUCH_FRAMEWORK_PATH
#error "the build names the framework file in TAVIX_MULTITOUCH_FRAMEWORK_PATH"
#endif

namespace tavix {
namespace {

template <class T>
T readAt(const std::byte* record, std::size_t offset) {
    T value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

Touch decode(const std::byte* record, const MTDeviceInfo& device) {
    const double nx = readAt<float>(record, offsetof(MTTouch, normalized.position.x));
    const double ny = readAt<float>(record, offsetof(MTTouch, normalized.position.y));
    return Touch{
        .id = readAt<int32_t>(record, offsetof(MTTouch, identifier)),
        .state = readAt<int32_t>(record, offsetof(MTTouch, state)),
        .nx = nx,
        .ny = ny,
        .pt = {nx * device.widthMM, ny * device.heightMM},
    };
}

// Where frames go: the managers made over other framework files, the last one first.
struct Receivers {
    // Readers are frames in flight; a manager going away waits for them.
    std::shared_mutex mutex;
    std::vector<MultitouchManager*> made;
};

Receivers& receivers() {
    static auto* all = new Receivers;
    return *all;
}

template <class Fn>
void lookUp(void* library, const char* name, Fn& field) {
    field = reinterpret_cast<Fn>(dlsym(library, name));
}

}  // namespace

MultitouchManager& MultitouchManager::shared() {
    // Never destroyed: frames may arrive from the framework's thread until the process ends.
    static auto* manager = new MultitouchManager(frameworkPath(), Routing::none);
    return *manager;
}

std::filesystem::path MultitouchManager::frameworkPath() {
    return TAVIX_MULTITOUCH_FRAMEWORK_PATH;
}

MultitouchManager::MultitouchManager(const std::filesystem::path& framework)
    : MultitouchManager(framework, Routing::takeOver) {}

MultitouchManager::MultitouchManager(const std::filesystem::path& framework, Routing routing)
    : isLoaded(load(framework)), routing_(routing) {
    if (routing_ == Routing::takeOver) {
        auto& all = receivers();
        std::unique_lock guard(all.mutex);
        all.made.push_back(this);
    }
}

MultitouchManager::~MultitouchManager() {
    stopAll();
    if (routing_ == Routing::takeOver) {
        auto& all = receivers();
        std::unique_lock guard(all.mutex);
        std::erase(all.made, this);
    }
}

bool MultitouchManager::load(const std::filesystem::path& framework) {
    // Never closed: its thread may deliver a frame at any moment.
    void* library = dlopen(framework.c_str(), RTLD_NOW);
    if (!library) return false;
    lookUp(library, "MTDeviceCreateList", fnCreateList);
    lookUp(library, "MTRegisterContactFrameCallback", fnRegister);
    lookUp(library, "MTUnregisterContactFrameCallback", fnUnregister);
    lookUp(library, "MTDeviceStart", fnStart);
    lookUp(library, "MTDeviceStop", fnStop);
    lookUp(library, "MTDeviceGetFamilyID", fnFamily);
    lookUp(library, "MTDeviceGetDeviceID", fnDeviceID);
    lookUp(library, "MTDeviceGetSensorSurfaceDimensions", fnDims);
    lookUp(library, "MTDeviceIsBuiltIn", fnBuiltIn);
    lookUp(library, "MTArrayGetCount", arrayFunctions.count);
    lookUp(library, "MTArrayGetValueAtIndex", arrayFunctions.at);
    lookUp(library, "MTArrayRelease", arrayFunctions.release);
    return fnCreateList && fnRegister && fnStart;
}

std::optional<std::pair<DeviceList, std::vector<MTDeviceInfo>>> MultitouchManager::enumerate() {
    // Without the array functions a list could be neither read nor released.
    if (!isLoaded || !fnCreateList || !arrayFunctions.complete()) return std::nullopt;
    void* array = fnCreateList();
    if (!array) return std::nullopt;
    DeviceList list(array, arrayFunctions);

    std::vector<MTDeviceInfo> devices;
    const intptr_t count = list.count();
    for (intptr_t i = 0; i < count; ++i) {
        void* handle = list.at(i);
        if (!handle) continue;
        MTDeviceInfo info{.id = reinterpret_cast<uintptr_t>(handle), .ref = handle};
        if (fnFamily) fnFamily(handle, &info.family);
        if (fnDeviceID) fnDeviceID(handle, &info.deviceID);
        if (fnDims) {
            int32_t width = 0;
            int32_t height = 0;
            fnDims(handle, &width, &height);
            info.widthMM = width / 100.0;
            info.heightMM = height / 100.0;
        }
        if (fnBuiltIn) info.builtIn = fnBuiltIn(handle);
        devices.push_back(info);
    }
    return std::pair{std::move(list), std::move(devices)};
}

std::vector<MTDeviceInfo> MultitouchManager::rescan() {
    stopAll();
    auto enumerated = enumerate();
    if (!enumerated) return {};
    auto& [list, devices] = *enumerated;
    // Only now that the new handles are in hand may the old ones go.
    retainedList = std::move(list);

    std::vector<MTDeviceInfo> mice;
    for (const auto& device : devices) {
        if (device.isMagicMouse()) mice.push_back(device);
    }
    {
        std::lock_guard guard(lock);
        for (const auto& mouse : mice) active[mouse.id] = mouse;
    }
    for (const auto& mouse : mice) {
        if (fnRegister) fnRegister(mouse.ref, mtCallback);
        if (fnStart) fnStart(mouse.ref, 0);
    }
    return std::move(devices);
}

void MultitouchManager::stopAll() {
    std::vector<MTDeviceInfo> started;
    {
        std::lock_guard guard(lock);
        for (const auto& entry : active) started.push_back(entry.second);
        active.clear();
    }
    for (const auto& device : started) {
        if (fnUnregister) fnUnregister(device.ref, mtCallback);
        if (fnStop) fnStop(device.ref);
    }
}

bool MultitouchManager::mouseIDsChanged() {
    std::set<uint64_t> attached;
    {
        auto enumerated = enumerate();
        if (!enumerated) return false;
        // Released here: this enumeration starts nothing.
        for (const auto& device : enumerated->second) {
            if (device.isMagicMouse()) attached.insert(device.deviceID);
        }
    }
    std::set<uint64_t> started;
    {
        std::lock_guard guard(lock);
        for (const auto& entry : active) started.insert(entry.second.deviceID);
    }
    return attached != started;
}

void MultitouchManager::dispatch(void* device, const MTTouch* touches, std::ptrdiff_t count) {
    if (!touches || count < 0) count = 0;
    if (count > kMaxContactsPerFrame) return;
    MTDeviceInfo info;
    {
        std::lock_guard guard(lock);
        auto found = device ? active.find(reinterpret_cast<uintptr_t>(device)) : active.end();
        if (found != active.end()) {
            info = found->second;
        } else if (active.size() == 1) {
            // A frame with a missing or unknown handle belongs to the only started mouse.
            info = active.begin()->second;
        } else {
            return;
        }
    }

    if (!onFrame) return;

    std::array<Touch, kMaxContactsPerFrame> storage;
    const auto contacts = std::span(storage).first(static_cast<std::size_t>(count));
    // Records are read in place, byte-wise: the framework owes us no alignment.
    const auto* bytes = reinterpret_cast<const std::byte*>(touches);
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        contacts[i] = decode(bytes + i * sizeof(MTTouch), info);
    }

    // The framework may deliver on several threads at once: the handler takes one frame at a
    // time. A frame sent from inside the handler is dropped rather than deadlocked.
    const auto self = std::this_thread::get_id();
    if (handlingThread.load(std::memory_order_relaxed) == self) return;
    std::lock_guard guard(frameLock);
    handlingThread.store(self, std::memory_order_relaxed);
    struct Handled {
        std::atomic<std::thread::id>& thread;
        ~Handled() { thread.store({}, std::memory_order_relaxed); }
    } handled{handlingThread};
    onFrame(info, contacts);
}

void MultitouchManager::route(void* device, const MTTouch* touches, std::ptrdiff_t count) {
    auto& all = receivers();
    std::shared_lock guard(all.mutex);
    MultitouchManager& receiver = all.made.empty() ? shared() : *all.made.back();
    receiver.dispatch(device, touches, count);
}

}  // namespace tavix

extern "C" int32_t mtCallback(void* device, tavix::MTTouch* touches, int32_t count, double,
                              int32_t) {
    // Nothing may unwind into the framework's thread.
    try {
        tavix::MultitouchManager::route(device, touches, count);
    } catch (...) {
    }
    return 0;
}
