#include "Tavix/ui/DesktopMouseSettings.h"

#include <QStandardPaths>

#include "platform/Permissions.h"
#include "platform/Workspace.h"

namespace tavix::ui {
namespace {

struct Candidate {
    const char* program;
    QStringList arguments;
};

std::optional<DesktopMouseSettings::Command> firstFound(const std::vector<Candidate>& candidates,
                                                        const DesktopMouseSettings::Finder& find) {
    for (const Candidate& candidate : candidates) {
        const QString path = find(QString::fromLatin1(candidate.program));
        if (!path.isEmpty()) return DesktopMouseSettings::Command{path, candidate.arguments};
    }
    return std::nullopt;
}

}  // namespace

std::optional<DesktopMouseSettings::Command> DesktopMouseSettings::commandFor(
    const QString& currentDesktop, const Finder& find) {
    const QStringList desktops = currentDesktop.toUpper().split(u':', Qt::SkipEmptyParts);
    for (const QString& desktop : desktops) {
        if (desktop == QLatin1String("GNOME") || desktop == QLatin1String("UNITY")) {
            return firstFound({{"gnome-control-center", {QStringLiteral("mouse")}}}, find);
        }
        if (desktop == QLatin1String("KDE")) {
            return firstFound({{"systemsettings", {QStringLiteral("kcm_mouse")}},
                               {"kcmshell6", {QStringLiteral("mouse")}},
                               {"kcmshell5", {QStringLiteral("mouse")}}},
                              find);
        }
    }
    return std::nullopt;
}

void DesktopMouseSettings::open() {
    const auto command =
        commandFor(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                   [](const QString& name) { return QStandardPaths::findExecutable(name); });
    const auto helpPage = [] { platform::workspace().openURL(platform::permissions().helpPage()); };
    if (!command) {
        helpPage();
        return;
    }
    platform::OpenConfiguration configuration{.arguments = {}, .activates = true};
    for (const QString& argument : command->arguments)
        configuration.arguments.push_back(argument.toStdString());
    platform::workspace().openApplication(command->program.toStdString(), configuration,
                                          [helpPage](bool opened) {
                                              if (!opened) helpPage();
                                          });
}

}  // namespace tavix::ui
