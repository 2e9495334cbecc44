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

// Every control function selects the simulated backend; after real mice were listed they fail.
SimBackend* simulation() {
    return tavix::platform::mt::chooseSimulation() ? &SimBackend::shared() : nullptr;
}

}  // namespace

extern "C" {

int32_t MTSimDeclareDevice(const MTSimDevice* device) {
    auto* sim = simulation();
    if (!device || !sim) return kFailure;
    return shielded(kFailure, [&] { return status(sim->declare(*device)); });
}

int32_t MTSimAttach(int64_t handle) {
    auto* sim = simulation();
    return status(sim && sim->setAttached(handle, true));
}

int32_t MTSimDetach(int64_t handle) {
    auto* sim = simulation();
    return status(sim && sim->setAttached(handle, false));
}

void MTSimAddNullEntry(void) {
    if (auto* sim = simulation()) shielded([&] { sim->addNullEntry(); });
}

void MTSimSetListFailure(bool fail) {
    if (auto* sim = simulation()) sim->setListFailure(fail);
}

int32_t MTSimDeliverFrame(int64_t device, const MTSimContact* contacts, int32_t count,
                          double timestamp) {
    auto* sim = simulation();
    if (!sim) return kFailure;
    return shielded(kFailure, [&] { return sim->deliver(device, contacts, count, timestamp); });
}

int32_t MTSimPlayStart(const MTSimFrame* frames, int32_t count, double loopSeconds) {
    auto* sim = simulation();
    if (!frames || count < 1 || !sim) return kFailure;
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
        return status(sim->play(std::move(script), period));
    });
}

void MTSimPlayStop(void) {
    if (auto* sim = simulation()) shielded([&] { sim->stopPlayback(); });
}

void MTSimReset(void) {
    if (auto* sim = simulation()) shielded([&] { sim->reset(); });
}

int32_t MTSimLiveListCount(void) {
    return simulation() ? Framework::shared().liveLists() : kFailure;
}

}  // extern "C"
