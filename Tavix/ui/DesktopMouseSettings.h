#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tavix::ui {

// The desktop's own mouse settings: the control centre's mouse panel on GNOME, the mouse
// module of the system settings on KDE Plasma, the help page anywhere else.
class DesktopMouseSettings {
  public:
    struct Command {
        QString program;  // absolute path
        QStringList arguments;
        friend bool operator==(const Command&, const Command&) = default;
    };
    // Finds a program on the PATH; empty when there is none.
    using Finder = std::function<QString(const QString& name)>;

    // The program that shows the mouse settings on the desktop named by `currentDesktop` (as
    // XDG_CURRENT_DESKTOP names it, a colon-separated list); absent when there is none.
    static std::optional<Command> commandFor(const QString& currentDesktop, const Finder& find);

    // Starts it through the workspace, without a shell; falls back to the help page.
    static void open();
};

}  // namespace tavix::ui
