#pragma once

#include <QList>
#include <QMenu>
#include <functional>

namespace tavix {
class AppState;
}

namespace tavix::ui {

// The tray icon's menu: the two main switches, the mouse's status, the two repairs while a
// permission is missing, and the settings and quit commands. Every change of what it shows in
// the application state re-derives the items; it keeps no state of its own.
class MenuContent : public QMenu {
    Q_OBJECT
  public:
    // Opens (or brings forward) the window with the given identifier.
    using OpenWindow = std::function<void(const QString& identifier)>;

    explicit MenuContent(OpenWindow openWindow, QWidget* parent = nullptr);
    MenuContent(AppState& s, OpenWindow openWindow, QWidget* parent = nullptr);

    // Derives the items from the current state.
    void rebuild();

  private:
    QAction* item(const QString& text, std::function<void(bool checked)> action);
    QAction* separator();

    AppState& s_;
    OpenWindow openWindow_;
    QAction* enabled_;
    QAction* oneTap_;
    QAction* firstSeparator_;
    QAction* status_;
    QAction* grant_;
    QAction* relaunch_;
    QAction* secondSeparator_;
    QAction* settings_;
    QAction* quit_;
};

}  // namespace tavix::ui
