#include "Tavix/app/LinuxPlatform.h"

#include <filesystem>
#include <memory>

#include "platform/events/EventSystem.h"
#include "platform/linux/DevicePermissions.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/LogindSession.h"
#include "platform/linux/LogindWakeNotice.h"
#include "platform/linux/ProcessRelauncher.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/Syslog.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/linux/input/CloneFilter.h"
#include "platform/linux/input/PhysicalInput.h"
#include "platform/linux/mouse/LinuxPreferenceServices.h"
#include "platform/preferences/linux/DBusNotificationCenter.h"

namespace tavix {

using namespace platform;

const std::string& executablePath() {
    static const std::string path = ProcessRelauncher::runningProgram();
    return path;
}

void holdDevicesWhileActive(LogindSession& session, input::MagicMouseReader& reader,
                            std::shared_ptr<output::UinputOutput> output, LogindWakeNotice& wake) {
    auto follow = [&reader, output = std::move(output), &wake](bool active) {
        if (output) output->setSuspended(!active);
        reader.setSuspended(!active);
        if (active) wake.announce();
    };
    if (!session.active()) follow(false);
    session.observe(std::move(follow));
}

void installLinuxPlatform(std::vector<std::string> arguments) {
    auto clock = std::make_shared<SystemClock>();
    installClock(clock);
    installMainQueue(std::make_shared<QtMainQueue>());
    // Made once and kept: the uinput devices live as long as the process, except while another
    // user has the seat. Without /dev/uinput access the events pass the tap chain and go
    // nowhere; the permission rows say why.
    static const auto& desktop = *new LinuxDesktop(LinuxDesktop::open(clock));
    installWorkspace(desktop.workspace);
    // The mouse settings live on the desktop where it has them; the Magic Mouse clones apply
    // the rest. GNOME's natural scrolling turns the virtual pointer's wheel too, and with it
    // the zoom notches, so those are turned back.
    mouse::LinuxPreferenceServices::Options preferences;
    preferences.wheelsInverted = [output = desktop.output](bool inverted) {
        if (output) output->setNaturalScrolling(inverted);
    };
    auto cloneSettings = mouse::installLinuxPreferenceServices(std::move(preferences));
    auto parts = desktop.backendParts();
    parts.input = std::make_shared<input::PhysicalInput>(
        input::MagicMouseReader::shared(),
        input::filteredClones(input::MagicMouseTap::uinputClone, std::move(cloneSettings)));
    installEventSystem(std::make_shared<EventSystem>(std::make_shared<LinuxEventBackend>(parts)));
    installDistributedNotificationCenter(std::make_shared<DBusNotificationCenter>());
    installPermissions(std::make_shared<DevicePermissions>());
    installLoginItems(std::make_shared<XdgAutostart>(executablePath()));
    auto wake = std::make_shared<LogindWakeNotice>();
    installWakeNotice(wake);
    static auto* session = new LogindSession();  // watched for the whole run
    holdDevicesWhileActive(*session, input::MagicMouseReader::shared(), desktop.output, *wake);
    installSystemLog(std::make_shared<Syslog>());
    installRelauncher(std::make_shared<ProcessRelauncher>(executablePath(), std::move(arguments)));
}

}  // namespace tavix
