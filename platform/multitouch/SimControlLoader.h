#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <optional>
#include <type_traits>

#include "platform/multitouch/SimControl.h"

namespace tavix::platform::mt {

// The control functions of a simulated framework file, found with dlsym. Opening a file that is
// already loaded reaches the same library, so this drives the framework the manager opened.
struct SimControl {
    decltype(&MTSimDeclareDevice) declareDevice;
    decltype(&MTSimAttach) attach;
    decltype(&MTSimDetach) detach;
    decltype(&MTSimAddNullEntry) addNullEntry;
    decltype(&MTSimSetListFailure) setListFailure;
    decltype(&MTSimDeliverFrame) deliverFrame;
    decltype(&MTSimPlayStart) playStart;
    decltype(&MTSimPlayStop) playStop;
    decltype(&MTSimReset) reset;
    decltype(&MTSimLiveListCount) liveListCount;

    // Nothing when the file cannot be opened or lacks a control function. The file stays open.
    static std::optional<SimControl> open(const std::filesystem::path& framework) {
        void* library = dlopen(framework.c_str(), RTLD_NOW);
        if (!library) return std::nullopt;
        SimControl control{};
        bool complete = true;
        auto find = [&](auto& field, const char* name) {
            field =
                reinterpret_cast<std::remove_reference_t<decltype(field)>>(dlsym(library, name));
            complete = complete && field;
        };
        find(control.declareDevice, "MTSimDeclareDevice");
        find(control.attach, "MTSimAttach");
        find(control.detach, "MTSimDetach");
        find(control.addNullEntry, "MTSimAddNullEntry");
        find(control.setListFailure, "MTSimSetListFailure");
        find(control.deliverFrame, "MTSimDeliverFrame");
        find(control.playStart, "MTSimPlayStart");
        find(control.playStop, "MTSimPlayStop");
        find(control.reset, "MTSimReset");
        find(control.liveListCount, "MTSimLiveListCount");
        if (!complete) return std::nullopt;
        return control;
    }
};

}  // namespace tavix::platform::mt
