#include "Tavix/ui/WindowOpener.h"

#include <QEvent>
#include <QGuiApplication>

#include "Tavix/app/NotificationCenter.h"
#include "Tavix/ui/Symbols.h"

namespace tavix::ui {

WindowOpener::WindowOpener(OpenWindow openWindow, QObject* parent)
    : QObject(parent), openWindow_(std::move(openWindow)) {
    NotificationCenter::defaultCenter().addObserver(NotificationName::openSettings, this, [this] {
        if (openWindow_) openWindow_(QStringLiteral("settings"));
    });
    if (auto* application = QCoreApplication::instance()) application->installEventFilter(this);
}

QIcon WindowOpener::icon() const {
    return Symbols::trayIcon(Symbols::isDark(QGuiApplication::palette()));
}

bool WindowOpener::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange &&
        watched == QCoreApplication::instance())
        emit iconChanged();
    return QObject::eventFilter(watched, event);
}

}  // namespace tavix::ui
