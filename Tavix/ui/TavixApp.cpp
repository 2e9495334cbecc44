#include "Tavix/ui/TavixApp.h"

#include <QApplication>
#include <QCursor>
#include <QShortcut>
#include <QSystemTrayIcon>

#include "Tavix/AppState.h"
#include "Tavix/ui/IOSSwitchStyle.h"
#include "Tavix/ui/MenuContent.h"
#include "Tavix/ui/SettingsView.h"
#include "Tavix/ui/TextStyles.h"
#include "Tavix/ui/Translations.h"
#include "Tavix/ui/WindowOpener.h"

namespace tavix::ui {

TavixApp::TavixApp(QObject* parent)
    : TavixApp(AppState::shared(), QSystemTrayIcon::isSystemTrayAvailable(), parent) {}

TavixApp::TavixApp(AppState& s, bool trayAvailable, QObject* parent)
    : QObject(parent), s_(s), trayAvailable_(trayAvailable) {
    Translations::install();
    TextStyles::installChineseFallback();
    IOSSwitchStyle::install();
    // Tavix lives in the tray, or without one, in a window that may come and go.
    QApplication::setQuitOnLastWindowClosed(false);

    const auto open = [this](const QString& identifier) { openWindow(identifier); };
    menu_ = std::make_unique<MenuContent>(s_, open);
    opener_ = new WindowOpener(open, this);

    tray_ = std::make_unique<QSystemTrayIcon>(opener_->icon());
    tray_->setToolTip(tr("Tavix"));
    tray_->setContextMenu(menu_.get());
    connect(opener_, &WindowOpener::iconChanged, tray_.get(),
            [this] { tray_->setIcon(opener_->icon()); });
    // A plain click opens the menu too, as on a menu bar.
    connect(tray_.get(), &QSystemTrayIcon::activated, menu_.get(),
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger) menu_->popup(QCursor::pos());
            });
    tray_->show();

    // Without a tray the window is the only way in: open it once the start-up has run.
    if (!trayAvailable_) {
        QMetaObject::invokeMethod(
            this, [this] { openWindow(QString::fromLatin1(kSettingsIdentifier)); },
            Qt::QueuedConnection);
    }
}

TavixApp::~TavixApp() {
    delete window_.data();
}

SettingsView* TavixApp::settingsWindow() const {
    return window_.data();
}

void TavixApp::openWindow(const QString& identifier) {
    if (identifier != QLatin1String(kSettingsIdentifier)) return;
    if (!window_) {
        window_ = new SettingsView(s_);
        window_->setObjectName(identifier);
        window_->setWindowTitle(tr("Tavix"));
        window_->setAttribute(Qt::WA_DeleteOnClose);
        // Only a title to hold and move it by, and a close button.
        window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint);
        window_->resize(window_->sizeHint());
        auto* quit = new QShortcut(QKeySequence::Quit, window_);
        connect(quit, &QShortcut::activated, qApp, &QCoreApplication::quit);
        auto* close = new QShortcut(QKeySequence::Close, window_);
        connect(close, &QShortcut::activated, window_, &QWidget::close);
    }
    window_->show();
    window_->setWindowState((window_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window_->raise();
    window_->activateWindow();
}

}  // namespace tavix::ui
