#include "Tavix/app/LinuxPlatform.h"

#include <filesystem>
#include <memory>

#include "platform/events/EventSystem.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/DevicePermissions.h"
#include "platform/linux/LogindWakeNotice.h"
#include "platform/linux/ProcessRelauncher.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/Syslog.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/preferences/linux/DBusNotificationCenter.h"
#include "platform/preferences/linux/LinuxHIDEventSystem.h"
#include "platform/preferences/linux/PlistPreferenceStore.h"

namespace tavix {

using namespace platform;

std::string executablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

void installLinuxPlatform(std::vector<std::string> arguments) {
    auto clock = std::make_shared<SystemClock>();
    installClock(clock);
    installMainQueue(std::make_shared<QtMainQueue>());
    // Made once and kept: the uinput devices live as long as the process. Without /dev/uinput
    // access the events pass the tap chain and go nowhere; the permission rows say why.
    static const auto& desktop = *new LinuxDesktop(LinuxDesktop::open(clock));
    installWorkspace(desktop.workspace);
    installEventSystem(
        std::make_shared<EventSystem>(std::make_shared<LinuxEventBackend>(desktop.backendParts())));
    installPreferenceStore(
        std::make_shared<PlistPreferenceStore>(PlistPreferenceStore::defaultDirectory()));
    installHIDEventSystem(std::make_shared<LinuxHIDEventSystem>());
    installDistributedNotificationCenter(std::make_shared<DBusNotificationCenter>());
    installPermissions(std::make_shared<DevicePermissions>());
    installLoginItems(std::make_shared<XdgAutostart>(executablePath()));
    installWakeNotice(std::make_shared<LogindWakeNotice>());
    installSystemLog(std::make_shared<Syslog>());
    installRelauncher(std::make_shared<ProcessRelauncher>(std::move(arguments)));
}

}  // namespace tavix
