#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class QSystemTrayIcon;

namespace tavix {
class AppState;
}

namespace tavix::ui {

class MenuContent;
class SettingsView;
class WindowOpener;

// What the application shows: the tray icon with its menu, and the one settings window, made
// when it is opened and gone when it is closed. Where the desktop has no tray, the window opens
// at every start instead, and closing it leaves Tavix running (a second start brings it back).
class TavixApp : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kSettingsIdentifier = "settings";

    // Installs the translation, the Chinese font fallback and the switch style, then shows the
    // tray icon. After the application object and the platform services exist.
    explicit TavixApp(QObject* parent = nullptr);
    TavixApp(AppState& s, bool trayAvailable, QObject* parent = nullptr);
    ~TavixApp() override;

    // Shows the window with this identifier and brings it to the front, making it only if it
    // is not open yet. Unknown identifiers are ignored.
    void openWindow(const QString& identifier);

    // The settings window while it is open.
    SettingsView* settingsWindow() const;
    QSystemTrayIcon* trayIcon() const { return tray_.get(); }
    MenuContent* menu() const { return menu_.get(); }

  private:
    AppState& s_;
    bool trayAvailable_;
    std::unique_ptr<MenuContent> menu_;
    WindowOpener* opener_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    QPointer<SettingsView> window_;
};

}  // namespace tavix::ui
