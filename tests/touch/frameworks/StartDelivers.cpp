// A framework file of one Magic Mouse with a finger already on it: starting the device delivers
// that frame at once, to the callbacks registered by then. A real device may deliver on its own
// thread as soon as it starts; here it happens inside the start call, so a caller that starts
// before it registers loses the frame every time, not once in a while.
#define TAVIX_MT_BUILDING
#include "platform/multitouch/MultitouchFramework.h"

#include <algorithm>
#include <vector>

struct MTArray {
    int mouse = 0;
};

namespace {

std::vector<MTFrameCallback>& callbacks() {
    static std::vector<MTFrameCallback> registered;
    return registered;
}

}  // namespace

extern "C" {

MTArrayRef MTDeviceCreateList(void) {
    return new MTArray;
}
intptr_t MTArrayGetCount(MTArrayRef) {
    return 1;
}
MTDeviceRef MTArrayGetValueAtIndex(MTArrayRef array, intptr_t index) {
    return index == 0 ? &array->mouse : nullptr;
}
void MTArrayRelease(MTArrayRef array) {
    delete array;
}
int32_t MTDeviceGetFamilyID(MTDeviceRef, int32_t* family) {
    *family = 112;
    return 0;
}

void MTRegisterContactFrameCallback(MTDeviceRef, MTFrameCallback callback) {
    callbacks().push_back(callback);
}
void MTUnregisterContactFrameCallback(MTDeviceRef, MTFrameCallback callback) {
    std::erase(callbacks(), callback);
}

int32_t MTDeviceStart(MTDeviceRef device, int32_t) {
    MTContact finger{};
    finger.identifier = 1;
    finger.state = 4;
    finger.normalized.position = {0.5F, 0.5F};
    for (const MTFrameCallback callback : callbacks()) callback(device, &finger, 1, 0.0, 1);
    return 0;
}
int32_t MTDeviceStop(MTDeviceRef) {
    return 0;
}

}  // extern "C"
