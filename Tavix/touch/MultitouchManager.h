#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Tavix/touch/DeviceList.h"
#include "Tavix/touch/MTDeviceInfo.h"
#include "Tavix/touch/MTTouch.h"
#include "Tavix/touch/Touch.h"

extern "C" int32_t mtCallback(void* device, tavix::MTTouch* touches, int32_t count,
                              double timestamp, int32_t frame);

namespace tavix {

// The application's contact with the multitouch framework: loads it, finds and starts the Magic
// Mice, and routes their frames to `onFrame`.
class MultitouchManager {
  public:
    // Called on the framework's thread with the frame's device and its contacts in record order.
    using FrameHandler = std::function<void(const MTDeviceInfo&, std::span<const Touch>)>;

    // No real surface reports more than 16 contacts at once. A frame beyond this is corrupt and
    // is dropped whole: cutting it short would end the tracks of the contacts left out.
    static constexpr std::ptrdiff_t kMaxContactsPerFrame = 32;

    // The application's manager, over the framework at frameworkPath(); never destroyed.
    static MultitouchManager& shared();
    // The one framework file the application opens.
    static std::filesystem::path frameworkPath();

    // A manager over another framework file, for tests and the demo. While it lives, frames
    // reach it instead of shared(); of several, the last one made.
    explicit MultitouchManager(const std::filesystem::path& framework);
    // Stops its devices; frames go back to the previous receiver.
    ~MultitouchManager();

    MultitouchManager(const MultitouchManager&) = delete;
    MultitouchManager& operator=(const MultitouchManager&) = delete;

    // Main thread only, like every device operation.
    std::vector<MTDeviceInfo> rescan();
    void stopAll();
    bool mouseIDsChanged();

  private:
    using CreateListFn = void* (*)();
    using RegisterFn = void (*)(void* device, MTContactFrameCallback callback);
    using StartFn = int32_t (*)(void* device, int32_t mode);
    using StopFn = int32_t (*)(void* device);
    using FamilyFn = int32_t (*)(void* device, int32_t* family);
    using DeviceIDFn = int32_t (*)(void* device, uint64_t* deviceID);
    using DimsFn = int32_t (*)(void* device, int32_t* width, int32_t* height);
    using BuiltInFn = bool (*)(void* device);

    // Each may be missing from the framework file; written only while loading.
    CreateListFn fnCreateList = nullptr;
    RegisterFn fnRegister = nullptr;
    RegisterFn fnUnregister = nullptr;
    StartFn fnStart = nullptr;
    StopFn fnStop = nullptr;
    FamilyFn fnFamily = nullptr;
    DeviceIDFn fnDeviceID = nullptr;
    DimsFn fnDims = nullptr;
    BuiltInFn fnBuiltIn = nullptr;
    ArrayFunctions arrayFunctions;

  public:
    // The framework and its three essential functions were found. Declared after the function
    // fields: load() fills them while this is initialised.
    const bool isLoaded;

    // Installed once before the first device starts; read without the lock. Called for one
    // frame at a time, whichever threads the framework delivers on.
    FrameHandler onFrame;

  private:
    friend int32_t(::mtCallback)(void*, tavix::MTTouch*, int32_t, double, int32_t);
    friend struct MultitouchManagerTestAccess;

    enum class Routing { none, takeOver };

    MultitouchManager(const std::filesystem::path& framework, Routing routing);

    bool load(const std::filesystem::path& framework);
    std::optional<std::pair<DeviceList, std::vector<MTDeviceInfo>>> enumerate();
    void dispatch(void* device, const MTTouch* touches, std::ptrdiff_t count);
    // The manager that frames reach now.
    static void route(void* device, const MTTouch* touches, std::ptrdiff_t count);

    std::mutex lock;
    std::unordered_map<uintptr_t, MTDeviceInfo> active;
    // Serialises the calls of onFrame; never taken together with `lock`.
    std::mutex frameLock;
    std::atomic<std::thread::id> handlingThread;
    // The list of the last successful rescan: the handles in `active` come from it.
    std::optional<DeviceList> retainedList;
    const Routing routing_;
};

}  // namespace tavix
