// The framework's C functions.
#include "platform/multitouch/CBoundary.h"
#include "platform/multitouch/Framework.h"
#include "platform/multitouch/MultitouchFramework.h"

using tavix::platform::mt::DeviceHandle;
using tavix::platform::mt::Framework;
using tavix::platform::mt::kFailure;
using tavix::platform::mt::kSuccess;
using tavix::platform::mt::shielded;

namespace {

DeviceHandle* handle(MTDeviceRef device) {
    return static_cast<DeviceHandle*>(device);
}

}  // namespace

extern "C" {

MTArrayRef MTDeviceCreateList(void) {
    return shielded<MTArrayRef>(nullptr, [] { return Framework::shared().createList().release(); });
}

void MTRegisterContactFrameCallback(MTDeviceRef device, MTFrameCallback callback) {
    if (!device || !callback) return;
    shielded([&] { handle(device)->registerCallback(callback); });
}

void MTUnregisterContactFrameCallback(MTDeviceRef device, MTFrameCallback callback) {
    if (!device) return;
    shielded([&] { handle(device)->unregisterCallback(callback); });
}

int32_t MTDeviceStart(MTDeviceRef device, int32_t) {
    if (!device) return kFailure;
    return shielded(kFailure, [&] {
        handle(device)->start();
        return kSuccess;
    });
}

int32_t MTDeviceStop(MTDeviceRef device) {
    if (!device) return kFailure;
    return shielded(kFailure, [&] {
        handle(device)->stop();
        return kSuccess;
    });
}

int32_t MTDeviceGetFamilyID(MTDeviceRef device, int32_t* family) {
    if (!device || !family) return kFailure;
    *family = handle(device)->description.family;
    return kSuccess;
}

int32_t MTDeviceGetDeviceID(MTDeviceRef device, uint64_t* deviceID) {
    if (!device || !deviceID) return kFailure;
    *deviceID = handle(device)->description.deviceID;
    return kSuccess;
}

int32_t MTDeviceGetSensorSurfaceDimensions(MTDeviceRef device, int32_t* width, int32_t* height) {
    if (!device || !width || !height) return kFailure;
    *width = handle(device)->description.width;
    *height = handle(device)->description.height;
    return kSuccess;
}

bool MTDeviceIsBuiltIn(MTDeviceRef device) {
    return device && handle(device)->description.builtIn;
}

intptr_t MTArrayGetCount(MTArrayRef array) {
    return array ? static_cast<intptr_t>(array->entries.size()) : 0;
}

MTDeviceRef MTArrayGetValueAtIndex(MTArrayRef array, intptr_t index) {
    if (!array || index < 0 || static_cast<std::size_t>(index) >= array->entries.size()) {
        return nullptr;
    }
    return array->entries[static_cast<std::size_t>(index)].get();
}

void MTArrayRelease(MTArrayRef array) {
    Framework::shared().releaseList(std::unique_ptr<MTArray>(array));
}

}  // extern "C"
