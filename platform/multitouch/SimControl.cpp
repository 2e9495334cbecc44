// The control functions of the simulated backend.
#include "platform/multitouch/SimControl.h"

#include <algorithm>
#include <vector>

#include "platform/multitouch/CBoundary.h"
#include "platform/multitouch/Framework.h"
#include "platform/multitouch/SimBackend.h"

using tavix::platform::mt::Framework;
using tavix::platform::mt::kFailure;
using tavix::platform::mt::kSuccess;
using tavix::platform::mt::ScriptFrame;
using tavix::platform::mt::shielded;
using tavix::platform::mt::SimBackend;

namespace {

int32_t status(bool ok) {
    return ok ? kSuccess : kFailure;
}

}  // namespace

extern "C" {

int32_t MTSimDeclareDevice(const MTSimDevice* device) {
    if (!device) return kFailure;
    return shielded(kFailure, [&] { return status(SimBackend::shared().declare(*device)); });
}

int32_t MTSimAttach(int64_t handle) {
    return status(SimBackend::shared().setAttached(handle, true));
}

int32_t MTSimDetach(int64_t handle) {
    return status(SimBackend::shared().setAttached(handle, false));
}

void MTSimAddNullEntry(void) {
    shielded([] { SimBackend::shared().addNullEntry(); });
}

void MTSimSetListFailure(bool fail) {
    SimBackend::shared().setListFailure(fail);
}

int32_t MTSimDeliverFrame(int64_t device, const MTSimContact* contacts, int32_t count,
                          double timestamp) {
    return shielded(
        kFailure, [&] { return SimBackend::shared().deliver(device, contacts, count, timestamp); });
}

int32_t MTSimPlayStart(const MTSimFrame* frames, int32_t count, double loopSeconds) {
    if (!frames || count < 1) return kFailure;
    return shielded(kFailure, [&] {
        std::vector<ScriptFrame> script;
        script.reserve(static_cast<std::size_t>(count));
        double last = 0;
        for (int32_t i = 0; i < count; ++i) {
            const MTSimFrame& frame = frames[i];
            if (!(frame.t >= last) || frame.count < 0 || (frame.count > 0 && !frame.contacts)) {
                return kFailure;
            }
            last = frame.t;
            script.push_back(
                {frame.t, frame.device,
                 std::vector<MTSimContact>(frame.contacts, frame.contacts + frame.count)});
        }
        const double period = loopSeconds > 0 ? std::max(loopSeconds, last) : 0;
        return status(SimBackend::shared().play(std::move(script), period));
    });
}

void MTSimPlayStop(void) {
    shielded([] { SimBackend::shared().stopPlayback(); });
}

void MTSimReset(void) {
    shielded([] { SimBackend::shared().reset(); });
}

int32_t MTSimLiveListCount(void) {
    return Framework::shared().liveLists();
}

}  // extern "C"
