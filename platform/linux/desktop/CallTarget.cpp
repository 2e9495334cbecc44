#include "platform/linux/desktop/CallTarget.h"

#include <algorithm>

namespace tavix::platform::desktop {
namespace {

// Plasma's own launchers (Kickoff, Kicker, the dashboard) in any panel or on any desktop,
// through the shell's scripting interface, which reads the layout without changing it.
constexpr const char* kFindLauncherScript =
    "var launchers = ['org.kde.plasma.kickoff', 'org.kde.plasma.kicker', "
    "'org.kde.plasma.kickerdash'];"
    "print(panels().concat(desktops()).some(function (c) {"
    " return c.widgets().some(function (w) { return launchers.indexOf(w.type) >= 0; });"
    "}) ? 'launcher' : 'none');";

bool kwinHasShortcut(SessionBus& bus, const DBusCall& invoke) {
    const auto names =
        bus.callForValue({invoke.service, invoke.path, invoke.interface, "shortcutNames", {}});
    const auto* list = names ? std::get_if<std::vector<std::string>>(&*names) : nullptr;
    return list && std::ranges::find(*list, invoke.arguments.front().value) != list->end();
}

// Only a clear "none" counts: a shell that refuses scripts (a kiosk policy) or answers
// something else may still have a launcher of another kind.
bool plasmaMayHaveLauncher(SessionBus& bus, const DBusCall& activate) {
    const auto answer = bus.callForValue({activate.service,
                                          activate.path,
                                          activate.interface,
                                          "evaluateScript",
                                          {{"string", kFindLauncherScript}}});
    const auto* text = answer ? std::get_if<std::string>(&*answer) : nullptr;
    return !text || text->find("none") == std::string::npos;
}

}  // namespace

bool callReachesTarget(SessionBus& bus, const DBusCall& call) {
    if (call.service == "org.kde.kglobalaccel" && call.member == "invokeShortcut" &&
        call.arguments.size() == 1) {
        return kwinHasShortcut(bus, call);
    }
    if (call.service == "org.kde.plasmashell" && call.member == "activateLauncherMenu") {
        return plasmaMayHaveLauncher(bus, call);
    }
    return true;
}

}  // namespace tavix::platform::desktop
