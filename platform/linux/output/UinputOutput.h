#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/events/Event.h"
#include "platform/linux/desktop/DesktopAction.h"
#include "platform/linux/input/UinputDevice.h"
#include "platform/linux/output/ChordOutput.h"
#include "platform/linux/output/OutputScheduler.h"

namespace tavix::platform::output {

// Turns the application's posted events into evdev frames of the virtual pointer and keyboard.
// Clicks land where the pointer is; the pointer is never moved.
class UinputOutput final : public ChordOutput {
  public:
    // A magnification amount of 0.1 (10 %) is one wheel notch, about one zoom step of a browser
    // or an image viewer.
    static constexpr double kMagnificationPerNotch = 0.1;
    static constexpr int32_t kHighResolutionPerNotch = 120;

    static input::DeviceCapabilities pointerCapabilities();
    static input::DeviceCapabilities keyboardCapabilities();

    // Makes the devices and the scheduler that writes to them: at once, and again on each resume.
    using OpenDevices = std::function<std::unique_ptr<OutputScheduler>()>;

    explicit UinputOutput(OpenDevices openDevices);
    // The two devices on /dev/uinput, kept for the whole run except while suspended. A device
    // that cannot be created swallows its events; `error` says why (at the first opening).
    static std::shared_ptr<UinputOutput> open(std::shared_ptr<const Clock> clock,
                                              std::shared_ptr<Sleeper> sleeper,
                                              std::string* error = nullptr);

    // A posted event that has passed the taps. Returns the desktop action a key stands for
    // (Command-Space), which the caller runs; everything else is queued for the devices.
    std::optional<desktop::DesktopAction> post(const Event& event, bool delivered);
    bool pressChord(const KeyChord& chord) override;
    // The desktop turns the wheel of every mouse around when the user chose natural scrolling
    // (GNOME does so for all pointers); the zoom notches are turned to match, so spreading the
    // fingers still zooms in. Any thread.
    void setNaturalScrolling(bool natural) { naturalScrolling_.store(natural); }
    // Returns once everything queued has been written.
    void waitIdle();
    // While suspended both devices are gone and posted events are dropped: another user has
    // the seat, and what Tavix types must not reach their session. Any thread.
    void setSuspended(bool suspended);

  private:
    void button(uint16_t code, bool down, bool delivered, std::vector<OutputFrame>& frames);
    std::optional<desktop::DesktopAction> key(const Event& event, bool down, bool delivered,
                                              std::vector<OutputFrame>& frames);
    void magnify(const Event& event, std::vector<OutputFrame>& frames);

    std::mutex mutex_;  // one event is translated and queued at a time, so order is kept
    std::set<uint16_t> heldButtons_;
    std::map<uint16_t, std::vector<uint16_t>> heldKeys_;  // key → modifiers pressed with it
    double notches_ = 0;                                  // not yet sent, in notches
    std::atomic<bool> naturalScrolling_{false};
    const OpenDevices openDevices_;
    std::unique_ptr<OutputScheduler> scheduler_;  // none while suspended
};

}  // namespace tavix::platform::output
