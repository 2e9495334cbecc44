#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QScrollArea>
#include <QTest>

#include "Tavix/ui/DesktopMouseSettings.h"
#include "Tavix/ui/PermissionRow.h"
#include "Tavix/ui/SettingsView.h"
#include "Tavix/ui/TouchPreview.h"
#include "Tavix/ui/ValueSlider.h"
#include "Tavix/ui/WidgetSnapshot.h"
#include "tests/ui/ImageCompare.h"
#include "tests/ui/ScenesFixture.h"
#include "tests/ui/UiTest.h"

namespace tavix::ui {
namespace {

using tavix::AppStateTestAccess;
using tavix::testing::simContact;

GestureConfig engineConfig() {
    return GestureEngine::shared().config();
}

constexpr const char* kScrollKey = "com.apple.scrollwheel.scaling";
constexpr const char* kTrackingKey = "com.apple.mouse.scaling";
constexpr const char* kDoubleClickKey = "com.apple.mouse.doubleClickThreshold";
constexpr const char* kNaturalKey = "com.apple.swipescrolldirection";
constexpr const char* kButtonModeKey = "MouseButtonMode";
constexpr const char* kSmartZoomKey = "MouseOneFingerDoubleTapGesture";
constexpr const char* kPageSwipeKey = "AppleEnableMouseSwipeNavigateWithScrolls";
constexpr const char* kFullscreenKey = "MouseTwoFingerHorizSwipeGesture";
constexpr const char* kMissionControlKey = "MouseTwoFingerDoubleTapGesture";

class SettingsViewTest : public test::ScenesFixture {
  protected:
    void TearDown() override {
        view.reset();
        ScenesFixture::TearDown();
    }
    SettingsView& open(AppState& s) {
        view = std::make_unique<SettingsView>(s);
        view->show();
        return *view;
    }
    void flip(const QString& title) {
        test::ScenesFixture::switchRow(*view, title)->toggle()->click();
    }
    bool rowShown(const QString& title) {
        for (RowLabel* label : view->findChildren<RowLabel*>())
            if (label->title() == title) return label->isVisibleTo(view.get());
        ADD_FAILURE() << "no row " << title.toStdString();
        return false;
    }
    QCheckBox* masterSwitch() {
        for (QCheckBox* box : view->findChildren<QCheckBox*>())
            if (box->accessibleName() == QStringLiteral("启用 Tavix")) return box;
        return nullptr;
    }

    std::unique_ptr<SettingsView> view;
};

TEST_F(SettingsViewTest, PermissionSectionShowsWhileAnyOfTheThreeIsMissing) {
    AppState& s = readyState();
    open(s);
    FormSection* permissions = section(*view, QStringLiteral("权限"));
    EXPECT_FALSE(shown(permissions, *view));
    // It comes right after the header.
    EXPECT_TRUE(shown(section(*view, QStringLiteral("触控手势")), *view));

    platform.permissions->setCanPostEvents(false);
    AppStateTestAccess::tick(s);
    EXPECT_TRUE(shown(permissions, *view));
    const auto rows = permissions->findChildren<PermissionRow*>();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0]->ok());
    EXPECT_FALSE(rows[1]->ok());
    EXPECT_TRUE(rows[2]->ok());
    EXPECT_EQ(
        permissions->footerLabel()->text(),
        QStringLiteral("「去授权」会安装 Tavix 的 udev 规则。之后若这里仍显示未授权：断开并重新连接"
                       "妙控鼠标（关闭再打开蓝牙即可）；仍不行就注销后重新登录。规则装好后，"
                       "「去授权」会打开帮助页。授权完成后 Tavix 会自动重启。"));
    platform.permissions->setCanPostEvents(true);
    AppStateTestAccess::tick(s);
    EXPECT_FALSE(shown(permissions, *view));

    // The tap stopped and cannot be made again.
    platform.backend->setCanCreateTap(false);
    InputMonitor::shared().stop();
    AppStateTestAccess::tick(s);
    EXPECT_TRUE(shown(permissions, *view));
    EXPECT_FALSE(rows[2]->ok());
    platform.backend->setCanCreateTap(true);
    AppStateTestAccess::tick(s);
    EXPECT_FALSE(shown(permissions, *view));

    platform.permissions->setTrusted(false);
    AppStateTestAccess::tick(s);
    EXPECT_TRUE(shown(permissions, *view));
    EXPECT_FALSE(rows[0]->ok());

    button(*view, QStringLiteral("去授权"))->click();
    EXPECT_EQ(platform.permissions->grantRequests(), 1);
    button(*view, QStringLiteral("重新启动 Tavix"))->click();
    EXPECT_EQ(platform.relauncher->count(), 1);
}

TEST_F(SettingsViewTest, DependentRowsFollowTheirSwitchesAndTheMasterSwitchHidesNothing) {
    AppState& s = readyState();
    open(s);
    const QStringList dependents{QStringLiteral("轻触判定时长"), QStringLiteral("捏合后打开"),
                                 QStringLiteral("捏合灵敏度"),   QStringLiteral("缩放方式"),
                                 QStringLiteral("触发灵敏度"),   QStringLiteral("缩放速度")};
    for (const QString& title : dependents) EXPECT_TRUE(rowShown(title)) << title.toStdString();

    flip(QStringLiteral("三指轻触"));
    EXPECT_FALSE(s.tapEnabled());
    EXPECT_FALSE(rowShown(QStringLiteral("轻触判定时长")));
    EXPECT_TRUE(rowShown(QStringLiteral("捏合后打开")));

    flip(QStringLiteral("三指捏合"));
    EXPECT_FALSE(rowShown(QStringLiteral("捏合后打开")));
    EXPECT_FALSE(rowShown(QStringLiteral("捏合灵敏度")));
    EXPECT_TRUE(rowShown(QStringLiteral("缩放方式")));

    flip(QStringLiteral("双指捏合 / 张开"));
    for (const QString& title : dependents) EXPECT_FALSE(rowShown(title)) << title.toStdString();
    s.setZoomEnabled(true);
    EXPECT_TRUE(switchRow(*view, QStringLiteral("双指捏合 / 张开"))->isOn());
    EXPECT_TRUE(rowShown(QStringLiteral("缩放速度")));

    masterSwitch()->click();
    EXPECT_FALSE(s.enabled());
    EXPECT_TRUE(rowShown(QStringLiteral("单指轻点以点按")));
    EXPECT_TRUE(rowShown(QStringLiteral("缩放速度")));
}

TEST_F(SettingsViewTest, PinchSubtitleFollowsThePicker) {
    AppState& s = readyState();
    open(s);
    SwitchRow* pinch = switchRow(*view, QStringLiteral("三指捏合"));
    EXPECT_EQ(pinch->label()->subtitle(),
              QStringLiteral("三指或拇指＋三指轻轻收拢 · 打开应用程序索引"));
    QComboBox* picker = pickerRow(*view, QStringLiteral("捏合后打开"))->picker();
    EXPECT_EQ(picker->count(), 4);
    QTest::keyClick(picker, Qt::Key_End);
    EXPECT_EQ(s.pinch3Action(), PinchAction::showDesktop);
    EXPECT_EQ(pinch->label()->subtitle(),
              QStringLiteral("三指或拇指＋三指轻轻收拢 · 打开显示桌面"));
}

TEST_F(SettingsViewTest, ConflictRowTurnsSmartZoomOffWritingItTwice) {
    AppState& s = readyState();
    ASSERT_TRUE(s.oneTapEnabled());
    ASSERT_TRUE(s.smartZoom());  // the system's default
    open(s);
    EXPECT_TRUE(rowShown(QStringLiteral("与「智能缩放」冲突")));
    EXPECT_EQ(writes(kSmartZoomKey), 0);

    button(*view, QStringLiteral("关闭智能缩放"))->click();
    EXPECT_FALSE(s.smartZoom());
    // Once by the switch's write-through, once by the button itself.
    EXPECT_EQ(writes(kSmartZoomKey), 2);
    EXPECT_EQ(lastWrite(kSmartZoomKey), platform::PreferenceValue(std::int64_t{0}));
    EXPECT_FALSE(rowShown(QStringLiteral("与「智能缩放」冲突")));
    EXPECT_FALSE(switchRow(*view, QStringLiteral("智能缩放"))->isOn());

    flip(QStringLiteral("智能缩放"));
    EXPECT_EQ(writes(kSmartZoomKey), 3);
    EXPECT_TRUE(rowShown(QStringLiteral("与「智能缩放」冲突")));
    flip(QStringLiteral("单指轻点以点按"));
    EXPECT_FALSE(rowShown(QStringLiteral("与「智能缩放」冲突")));
}

TEST_F(SettingsViewTest, MirrorsAreWrittenThroughOnlyWhileShownAndTheReloadWritesBack) {
    AppState& s = readyState();
    view = std::make_unique<SettingsView>(s);
    // Not shown: a changed mirror stays in the application.
    s.setNaturalScroll(false);
    s.setSmartZoom(false);
    // Meanwhile the user changed the scroll speed in the desktop's own settings.
    store->preset(kScrollKey, 0.8, platform::PreferenceDomain::global());
    store->clearOperations();

    view->show();
    EXPECT_EQ(s.scrollSpeed(), 0.8);
    EXPECT_EQ(sliderRow(*view, QStringLiteral("滚动速度"))->value(), 0.8);
    // The reload puts back what the system holds, and each row writes that back once.
    EXPECT_EQ(writes(kScrollKey), 1);
    EXPECT_EQ(lastWrite(kScrollKey), platform::PreferenceValue(0.8));
    EXPECT_EQ(writes(kNaturalKey), 1);
    EXPECT_EQ(writes(kSmartZoomKey), 1);
    for (const char* key : {kTrackingKey, kDoubleClickKey, kButtonModeKey, kPageSwipeKey,
                            kFullscreenKey, kMissionControlKey})
        EXPECT_EQ(writes(key), 0) << key;

    store->clearOperations();
    for (const char* title : {"自然滚动", "在页面间轻扫", "在全屏应用间轻扫", "调度中心"})
        flip(QString::fromUtf8(title));
    QTest::keyClick(pickerRow(*view, QStringLiteral("辅助点按"))->picker(), Qt::Key_End);
    EXPECT_EQ(s.secondaryClick(), SecondaryClick::off);
    for (const char* key :
         {kNaturalKey, kPageSwipeKey, kFullscreenKey, kMissionControlKey, kButtonModeKey})
        EXPECT_EQ(writes(key), 1) << key;

    // A drag writes every value it passes.
    ValueSlider* tracking = sliderRow(*view, QStringLiteral("跟踪速度"))->slider();
    for (double v : {1.2, 1.5, 2.0}) tracking->edit(v);
    EXPECT_EQ(writes(kTrackingKey), 3);
    EXPECT_NEAR(s.trackingSpeed(), 2.0, 0.002);
    EXPECT_EQ(lastWrite(kTrackingKey), platform::PreferenceValue(s.trackingSpeed()));

    // Double-click speed runs the other way: its right end is the shortest interval.
    SliderRow* doubleClick = sliderRow(*view, QStringLiteral("连按速度"));
    doubleClick->slider()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(s.doubleClick(), 0.15);
    EXPECT_EQ(lastWrite(kDoubleClickKey), platform::PreferenceValue(0.15));
    doubleClick->slider()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(s.doubleClick(), 2.0);
    EXPECT_EQ(lastWrite(kDoubleClickKey), platform::PreferenceValue(2.0));
    EXPECT_EQ(writes(kDoubleClickKey), 2);

    view->hide();
    store->clearOperations();
    s.setSmartZoom(true);
    s.setTrackingSpeed(0.4);
    EXPECT_TRUE(store->operations().empty());
}

TEST_F(SettingsViewTest, HeaderShowsTheMouseAndOffersARescanOnlyWithoutOne) {
    AppState& s = state();
    s.boot();
    open(s);
    auto connection = [&] {
        for (QLabel* label : view->findChildren<QLabel*>())
            if (label->text().contains(QStringLiteral("妙控鼠标"))) return label->text();
        return QString();
    };
    EXPECT_EQ(connection(), QStringLiteral("未检测到妙控鼠标"));
    QPushButton* rescan = button(*view, QStringLiteral("重新扫描"));
    EXPECT_TRUE(shown(rescan, *view));

    attachMouse();
    rescan->click();
    EXPECT_EQ(s.mouseName(), QStringLiteral("妙控鼠标"));
    EXPECT_EQ(connection(), QStringLiteral("妙控鼠标 已连接"));
    EXPECT_FALSE(shown(rescan, *view));
}

TEST_F(SettingsViewTest, LoginSwitchShowsWhatTheSystemReports) {
    AppState& s = readyState();
    open(s);
    SwitchRow* login = switchRow(*view, QStringLiteral("登录时打开"));
    EXPECT_FALSE(login->isOn());
    login->toggle()->click();
    EXPECT_TRUE(s.launchAtLogin());
    EXPECT_TRUE(login->isOn());
    login->toggle()->click();
    EXPECT_FALSE(login->isOn());

    platform.loginItems->setFailure("refused");
    login->toggle()->click();
    EXPECT_FALSE(s.launchAtLogin());
    EXPECT_FALSE(login->isOn());
}

TEST(DesktopMouseSettings, EachDesktopGetsItsOwnSettingsProgram) {
    const auto only = [](QStringList present) {
        return [present](const QString& name) {
            return present.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
    };
    using Command = DesktopMouseSettings::Command;
    const QStringList all{"gnome-control-center", "systemsettings", "kcmshell6", "kcmshell5"};
    EXPECT_EQ(DesktopMouseSettings::commandFor("ubuntu:GNOME", only(all)),
              (Command{"/usr/bin/gnome-control-center", {"mouse"}}));
    EXPECT_EQ(DesktopMouseSettings::commandFor("KDE", only(all)),
              (Command{"/usr/bin/systemsettings", {"kcm_mouse"}}));
    EXPECT_EQ(DesktopMouseSettings::commandFor("KDE", only({"kcmshell5"})),
              (Command{"/usr/bin/kcmshell5", {"mouse"}}));
    EXPECT_EQ(DesktopMouseSettings::commandFor("GNOME", only({"systemsettings"})), std::nullopt);
    EXPECT_EQ(DesktopMouseSettings::commandFor("XFCE", only(all)), std::nullopt);
    EXPECT_EQ(DesktopMouseSettings::commandFor("", only(all)), std::nullopt);
}

TEST_F(SettingsViewTest, OpeningTheMouseSettingsFallsBackToTheHelpPage) {
    tavix::testing::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "XFCE");
    AppState& s = readyState();
    open(s);
    auto* link = view->findChild<LinkRow*>();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->label()->title(), QStringLiteral("打开系统鼠标设置"));
    link->click();
    EXPECT_EQ(platform.workspace->urls(),
              std::vector<std::string>{"file:///simulated/help/permissions.html"});
    EXPECT_TRUE(platform.workspace->opens().empty());
}

TEST_F(SettingsViewTest, ControlsAreNamedByTheirTitlesWithRoleAndState) {
    AppState& s = readyState();
    open(s);
    QAccessibleInterface* natural = QAccessible::queryAccessibleInterface(
        switchRow(*view, QStringLiteral("自然滚动"))->toggle());
    ASSERT_NE(natural, nullptr);
    EXPECT_EQ(natural->role(), QAccessible::CheckBox);
    EXPECT_EQ(natural->text(QAccessible::Name), QStringLiteral("自然滚动"));
    EXPECT_EQ(natural->text(QAccessible::Description), QStringLiteral("内容跟随手指方向移动"));
    EXPECT_TRUE(natural->state().checkable);
    EXPECT_EQ(bool(natural->state().checked), s.naturalScroll());

    QAccessibleInterface* master = QAccessible::queryAccessibleInterface(masterSwitch());
    EXPECT_EQ(master->text(QAccessible::Name), QStringLiteral("启用 Tavix"));
    EXPECT_TRUE(master->state().checked);

    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(
        sliderRow(*view, QStringLiteral("连按速度"))->slider());
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    EXPECT_EQ(slider->text(QAccessible::Name), QStringLiteral("连按速度"));
    ASSERT_NE(slider->valueInterface(), nullptr);
    EXPECT_NEAR(slider->valueInterface()->currentValue().toDouble(), s.doubleClick(), 0.002);
    EXPECT_EQ(slider->valueInterface()->minimumValue().toDouble(), 0.15);
    EXPECT_EQ(slider->valueInterface()->maximumValue().toDouble(), 2.0);

    QAccessibleInterface* picker = QAccessible::queryAccessibleInterface(
        pickerRow(*view, QStringLiteral("缩放方式"))->picker());
    EXPECT_EQ(picker->role(), QAccessible::ComboBox);
    EXPECT_EQ(picker->text(QAccessible::Name), QStringLiteral("缩放方式"));
    EXPECT_EQ(picker->text(QAccessible::Value), QStringLiteral("原生捏合（平滑）"));

    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(view->findChild<LinkRow*>());
    EXPECT_EQ(link->role(), QAccessible::Button);
    EXPECT_EQ(link->text(QAccessible::Name), QStringLiteral("打开系统鼠标设置"));
}

TEST_F(SettingsViewTest, TheFingersShowWhileAnotherWindowHasTheFocus) {
    AppState& s = readyState();
    open(s);
    auto* preview = view->findChild<TouchPreview*>();
    QPalette palette = preview->palette();
    palette.setColor(QPalette::Active, QPalette::Highlight, Qt::blue);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    preview->setPalette(palette);
    preview->setPoints({{0.5, 0.5}});
    test::clock().advance(1);

    // Rendered on its own, the preview is in no active window.
    const QImage image = WidgetSnapshot::render(*preview, 1);
    const QColor dot = image.pixelColor(preview->surfaceRect().center().toPoint());
    EXPECT_GT(dot.blue(), dot.red() + 100);
}

QAccessibleActionInterface* actions(QObject* control) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->actionInterface() : nullptr;
}

void press(QObject* control) {
    actions(control)->doAction(QAccessibleActionInterface::pressAction());
}

void toggle(SwitchRow* row) {
    actions(row->toggle())->doAction(QAccessibleActionInterface::toggleAction());
}

TEST_F(SettingsViewTest, SwitchesFlippedByAScreenReaderChangeTheirSettings) {
    AppState& s = readyState();
    open(s);
    ASSERT_TRUE(rowShown(QStringLiteral("与「智能缩放」冲突")));
    SwitchRow* oneTap = switchRow(*view, QStringLiteral("单指轻点以点按"));
    toggle(oneTap);
    EXPECT_FALSE(s.oneTapEnabled());
    EXPECT_FALSE(oneTap->isOn());
    EXPECT_FALSE(rowShown(QStringLiteral("与「智能缩放」冲突")));
    EXPECT_FALSE(engineConfig().oneTapEnabled);

    actions(masterSwitch())->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(s.enabled());
    EXPECT_FALSE(masterSwitch()->isChecked());

    // A mirror goes on to the system, once.
    store->clearOperations();
    toggle(switchRow(*view, QStringLiteral("自然滚动")));
    EXPECT_FALSE(s.naturalScroll());
    EXPECT_EQ(writes(kNaturalKey), 1);

    // A change the system refuses leaves the switch showing what it holds.
    platform.loginItems->setFailure("refused");
    SwitchRow* login = switchRow(*view, QStringLiteral("登录时打开"));
    toggle(login);
    EXPECT_FALSE(s.launchAtLogin());
    EXPECT_FALSE(login->isOn());
    EXPECT_FALSE(login->toggle()->isChecked());
}

TEST_F(SettingsViewTest, SlidersAndPickersWorkThroughTheirAccessibleInterfaces) {
    AppState& s = readyState();
    open(s);
    ValueSlider* duration = sliderRow(*view, QStringLiteral("轻触判定时长"))->slider();
    actions(duration)->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_GT(s.tapMaxDuration(), 0.3);
    EXPECT_DOUBLE_EQ(engineConfig().tapMaxDuration, s.tapMaxDuration());
    QAccessible::queryAccessibleInterface(duration)->valueInterface()->setCurrentValue(0.4);
    EXPECT_DOUBLE_EQ(s.tapMaxDuration(), 0.4);

    // Reversed on screen, a step up still raises the value a screen reader reads.
    store->clearOperations();
    ValueSlider* doubleClick = sliderRow(*view, QStringLiteral("连按速度"))->slider();
    const double before = s.doubleClick();
    actions(doubleClick)->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_GT(s.doubleClick(), before);
    actions(doubleClick)->doAction(QAccessibleActionInterface::decreaseAction());
    actions(doubleClick)->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_LT(s.doubleClick(), before);
    EXPECT_EQ(writes(kDoubleClickKey), 3);

    // Every option is a child of its picker; pressing one chooses it.
    QAccessibleInterface* pinch = QAccessible::queryAccessibleInterface(
        pickerRow(*view, QStringLiteral("捏合后打开"))->picker());
    ASSERT_EQ(pinch->childCount(), 4);
    QAccessibleInterface* desktop = pinch->child(3);
    EXPECT_EQ(desktop->text(QAccessible::Name), QStringLiteral("显示桌面"));
    EXPECT_EQ(desktop->parent(), pinch);
    EXPECT_EQ(pinch->indexOfChild(desktop), 3);
    EXPECT_FALSE(desktop->state().selected);
    desktop->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(s.pinch3Action(), PinchAction::showDesktop);
    EXPECT_EQ(engineConfig().pinch3Action, PinchAction::showDesktop);
    EXPECT_TRUE(desktop->state().selected);
    EXPECT_EQ(pinch->text(QAccessible::Value), QStringLiteral("显示桌面"));
    EXPECT_EQ(switchRow(*view, QStringLiteral("三指捏合"))->label()->subtitle(),
              QStringLiteral("三指或拇指＋三指轻轻收拢 · 打开显示桌面"));

    store->clearOperations();
    QAccessibleInterface* secondary = QAccessible::queryAccessibleInterface(
        pickerRow(*view, QStringLiteral("辅助点按"))->picker());
    secondary->child(secondary->childCount() - 1)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(s.secondaryClick(), SecondaryClick::off);
    EXPECT_EQ(writes(kButtonModeKey), 1);
}

TEST_F(SettingsViewTest, ButtonsPressedByAScreenReaderDoTheirWork) {
    tavix::testing::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "XFCE");
    AppState& s = state();
    s.boot();
    open(s);
    press(button(*view, QStringLiteral("去授权")));
    attachMouse();
    press(button(*view, QStringLiteral("重新扫描")));
    press(view->findChild<LinkRow*>());
    // A pressed button clicks once its press has shown.
    tavix::testing::runEvents(300);
    EXPECT_EQ(platform.permissions->grantRequests(), 1);
    EXPECT_EQ(s.mouseName(), QStringLiteral("妙控鼠标"));
    EXPECT_EQ(platform.workspace->urls(),
              std::vector<std::string>{"file:///simulated/help/permissions.html"});
}

TEST_F(SettingsViewTest, HeaderFollowsTheFingersAndTheLastGestureThroughTheState) {
    AppState& s = readyState();
    open(s);
    auto* preview = view->findChild<TouchPreview*>();
    EXPECT_TRUE(preview->points().isEmpty());
    // Frames reach the preview through the state's handler and the main queue.
    frame(101, {simContact(1, 0.25f, 0.75f), simContact(2, 0.5f, 0.5f, 7)});
    platform.queue->drain();
    EXPECT_EQ(preview->points(), QList<QPointF>({{0.25, 0.75}}));
    frame(101.1, {});
    platform.queue->drain();
    EXPECT_TRUE(preview->points().isEmpty());

    auto lastGesture = [&] {
        for (QLabel* label : view->findChildren<QLabel*>())
            if (label->text().startsWith(QStringLiteral("测试"))) return label->text();
        return QString();
    };
    GestureEngine::shared().onStatus(LiveStatus{.fingers = 0, .lastGesture = "测试 → 点按"});
    EXPECT_EQ(lastGesture(), QString());
    platform.queue->drain();
    EXPECT_EQ(lastGesture(), QStringLiteral("测试 → 点按"));
}

// The whole form, unscrolled, so that a layout change anywhere shows.
QImage wholeForm(SettingsView& view) {
    auto* scroll = view.findChild<QScrollArea*>();
    view.resize(SettingsView::kWidth, scroll->widget()->sizeHint().height());
    return WidgetSnapshot::render(view, 1);
}

TEST_F(SettingsViewTest, ReferenceImagesWithAndWithoutThePermissionSection) {
    // Drawn with Debian 12's Qt 6.4. Later Fusion styles place each slider's handle a pixel
    // apart, which moves thousands of pixels with no change of layout.
    if (!QByteArray(qVersion()).startsWith("6.4.")) {
        GTEST_SKIP() << "the form's reference images are Qt 6.4's; this is Qt " << qVersion();
    }
    // No grant and no mouse: the permission section and the rescan button.
    AppState& missing = state();
    missing.boot();
    view = std::make_unique<SettingsView>(missing);
    EXPECT_TRUE(test::matchesReference(wholeForm(*view), QStringLiteral("settings-permissions")));
    view.reset();

    AppState& ready = readyState();
    view = std::make_unique<SettingsView>(ready);
    EXPECT_TRUE(test::matchesReference(wholeForm(*view), QStringLiteral("settings-ready")));
}

}  // namespace
}  // namespace tavix::ui
