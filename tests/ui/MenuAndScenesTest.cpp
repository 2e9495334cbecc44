#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QSystemTrayIcon>

#include "Tavix/app/NotificationCenter.h"
#include "Tavix/ui/MenuContent.h"
#include "Tavix/ui/SettingsView.h"
#include "Tavix/ui/TavixApp.h"
#include "Tavix/ui/WidgetSnapshot.h"
#include "tests/ui/ImageCompare.h"
#include "tests/ui/ScenesFixture.h"

namespace tavix::ui {
namespace {

using tavix::AppStateTestAccess;

QStringList texts(const QMenu& menu) {
    QStringList list;
    for (const QAction* a : menu.actions())
        list << (a->isSeparator() ? QStringLiteral("—") : a->text());
    return list;
}

QAction* item(const QMenu& menu, const QString& text) {
    for (QAction* a : menu.actions())
        if (a->text() == text) return a;
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
}

int settingsWindows() {
    int n = 0;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("settings") && w->isVisible()) ++n;
    return n;
}

void closeAndCollect(QWidget* window) {
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

using Menu = test::ScenesFixture;

TEST_F(Menu, SevenEntriesWhenReadyNineWhileAPermissionIsMissing) {
    AppState& s = readyState();
    QStringList opened;
    MenuContent menu(s, [&](const QString& id) { opened << id; });
    EXPECT_EQ(texts(menu), (QStringList{"启用 Tavix", "单指轻点以点按", "—", "妙控鼠标 已连接", "—",
                                        "设置…", "退出 Tavix"}));
    EXPECT_TRUE(item(menu, "启用 Tavix")->isChecked());
    EXPECT_TRUE(item(menu, "单指轻点以点按")->isCheckable());
    EXPECT_FALSE(item(menu, "妙控鼠标 已连接")->isEnabled());
    EXPECT_EQ(item(menu, "设置…")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(item(menu, "退出 Tavix")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    platform.permissions->setCanPostEvents(false);
    AppStateTestAccess::tick(s);
    EXPECT_EQ(texts(menu), (QStringList{"启用 Tavix", "单指轻点以点按", "—", "妙控鼠标 已连接",
                                        "⚠︎ 权限未就绪，去授权…", "重新启动 Tavix",
                                        "—", "设置…", "退出 Tavix"}));
    item(menu, "⚠︎ 权限未就绪，去授权…")->trigger();
    EXPECT_EQ(platform.permissions->grantRequests(), 1);
    item(menu, "重新启动 Tavix")->trigger();
    EXPECT_EQ(platform.relauncher->count(), 1);

    platform.permissions->setCanPostEvents(true);
    AppStateTestAccess::tick(s);
    EXPECT_EQ(menu.actions().size(), 7);

    // The switches write into the state, and follow it when it changes elsewhere.
    item(menu, "启用 Tavix")->trigger();
    EXPECT_FALSE(s.enabled());
    EXPECT_FALSE(item(menu, "启用 Tavix")->isChecked());
    s.setOneTapEnabled(false);
    EXPECT_FALSE(item(menu, "单指轻点以点按")->isChecked());

    item(menu, "设置…")->trigger();
    EXPECT_EQ(opened, QStringList{"settings"});
}

TEST_F(Menu, StatusLineWithoutAMouse) {
    AppState& s = state();
    s.boot();
    MenuContent menu(s, {});
    EXPECT_EQ(menu.actions().at(3)->text(), QStringLiteral("未检测到妙控鼠标"));
    EXPECT_EQ(menu.actions().size(), 9);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&menu);
    ASSERT_NE(accessible, nullptr);
    ASSERT_EQ(accessible->childCount(), 9);
    QAccessibleInterface* first = accessible->child(0);
    EXPECT_EQ(first->role(), QAccessible::MenuItem);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("启用 Tavix"));
    EXPECT_TRUE(first->state().checkable);
    EXPECT_TRUE(first->state().checked);
}

TEST_F(Menu, StatusLineFollowsTheMouseAndItemsWorkThroughAccessibility) {
    AppState& s = state();
    s.boot();
    MenuContent menu(s, {});
    QAction* status = menu.actions().at(3);
    attachMouse();
    AppStateTestAccess::tick(s);
    EXPECT_EQ(status->text(), QStringLiteral("妙控鼠标 已连接"));
    control.detach(kMouse);
    AppStateTestAccess::tick(s);
    EXPECT_EQ(status->text(), QStringLiteral("未检测到妙控鼠标"));

    QAccessibleInterface* oneTap = QAccessible::queryAccessibleInterface(&menu)->child(1);
    ASSERT_EQ(oneTap->text(QAccessible::Name), QStringLiteral("单指轻点以点按"));
    oneTap->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(s.oneTapEnabled());
    EXPECT_FALSE(item(menu, "单指轻点以点按")->isChecked());
}

TEST_F(Menu, ReferenceImage) {
    AppState& s = state();
    s.boot();
    MenuContent menu(s, {});
    EXPECT_TRUE(test::matchesReference(WidgetSnapshot::render(menu, 1), QStringLiteral("menu")));
}

using Scenes = test::ScenesFixture;

TEST_F(Scenes, OpenSettingsShowsTheOneWindowAndNeverASecond) {
    AppState& s = readyState();
    TavixApp app(s, true);
    QCoreApplication::processEvents();
    EXPECT_EQ(app.settingsWindow(), nullptr);
    EXPECT_EQ(app.trayIcon()->contextMenu(), app.menu());

    NotificationCenter::defaultCenter().post(NotificationName::openSettings);
    SettingsView* window = app.settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tavix"));
    EXPECT_EQ(window->size(), QSize(460, 560));
    EXPECT_EQ(settingsWindows(), 1);

    NotificationCenter::defaultCenter().post(NotificationName::openSettings);
    item(*app.menu(), "设置…")->trigger();
    EXPECT_EQ(app.settingsWindow(), window);
    EXPECT_EQ(settingsWindows(), 1);

    // Closed, it is gone; asked for again, it is made afresh.
    closeAndCollect(window);
    EXPECT_EQ(app.settingsWindow(), nullptr);
    EXPECT_EQ(settingsWindows(), 0);
    NotificationCenter::defaultCenter().post(NotificationName::openSettings);
    EXPECT_EQ(settingsWindows(), 1);
}

TEST_F(Scenes, WithoutATrayTheWindowOpensAtEveryStartAndClosingItKeepsTavixRunning) {
    AppState& s = readyState();
    QApplication::setQuitOnLastWindowClosed(true);
    bool quit = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { quit = true; });
    {
        TavixApp app(s, false);
        EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
        QCoreApplication::processEvents();
        ASSERT_NE(app.settingsWindow(), nullptr);
        EXPECT_TRUE(app.settingsWindow()->isVisible());
        closeAndCollect(app.settingsWindow());
        QCoreApplication::processEvents();
        EXPECT_FALSE(quit);
        // A second start of tavix reopens.
        NotificationCenter::defaultCenter().post(NotificationName::openSettings);
        EXPECT_EQ(settingsWindows(), 1);
    }
    EXPECT_EQ(settingsWindows(), 0);
}

}  // namespace
}  // namespace tavix::ui
