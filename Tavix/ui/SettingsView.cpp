#include "Tavix/ui/SettingsView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "Tavix/AppState.h"
#include "Tavix/mouse_settings/MouseSettings.h"
#include "Tavix/ui/DesktopMouseSettings.h"
#include "Tavix/ui/FormSection.h"
#include "Tavix/ui/IOSSwitchStyle.h"
#include "Tavix/ui/LinkRow.h"
#include "Tavix/ui/PermissionRow.h"
#include "Tavix/ui/PickerRow.h"
#include "Tavix/ui/RowLabel.h"
#include "Tavix/ui/SliderRow.h"
#include "Tavix/ui/SwitchRow.h"
#include "Tavix/ui/SystemColor.h"
#include "Tavix/ui/TextStyles.h"
#include "Tavix/ui/TouchPreview.h"

namespace tavix::ui {
namespace {

// The system gestures' reports, for lupdate; the line shows every other report as it is.
[[maybe_unused]] constexpr const char* kSystemGestureReports[] = {
    QT_TRANSLATE_NOOP("tavix::LastGesture", "单指轻扫 → 后退"),
    QT_TRANSLATE_NOOP("tavix::LastGesture", "单指轻扫 → 前进"),
    QT_TRANSLATE_NOOP("tavix::LastGesture", "双指轻扫 → 上一个桌面"),
    QT_TRANSLATE_NOOP("tavix::LastGesture", "双指轻扫 → 下一个桌面"),
    QT_TRANSLATE_NOOP("tavix::LastGesture", "双指连按两下 → 调度中心"),
    QT_TRANSLATE_NOOP("tavix::LastGesture", "单指连按两下 → 智能缩放"),
};

QString lastGestureText(const std::string& report) {
    return QCoreApplication::translate("tavix::LastGesture", report.c_str());
}

constexpr int kFormMargin = 20;
constexpr int kSectionSpacing = 18;
constexpr int kHeaderSpacing = 16;
constexpr int kHeaderLineSpacing = 6;
constexpr int kDotSize = 7;
constexpr int kSwitchColumnSpacing = 8;

// The option titles come from the enumerations; listed here so that lupdate keeps them.
[[maybe_unused]] constexpr const char* kOptionTitles[] = {
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "应用程序索引"),
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "调度中心"),
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "聚焦搜索"),
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "显示桌面"),
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "原生捏合（平滑）"),
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "快捷键 ⌘+ / ⌘−"),
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "点按右侧"),
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "点按左侧"),
    QT_TRANSLATE_NOOP("tavix::ui::SettingsView", "关闭"),
};

QString optionTitle(std::string_view title) {
    return SettingsView::tr(std::string(title).c_str());
}

QPixmap dot(const QColor& colour, qreal dpr) {
    QPixmap pixmap(QSize(kDotSize, kDotSize) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(0, 0, kDotSize, kDotSize));
    return pixmap;
}

void quiet(QLabel* label, const QFont& font) {
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, secondaryTextColor(palette));
    label->setPalette(palette);
}

QPushButton* smallButton(const QString& title) {
    auto* button = new QPushButton(title);
    button->setFont(TextStyles::callout());
    return button;
}

// Filled with the accent colour, as the one button the section wants pressed.
QPushButton* prominentButton(const QString& title) {
    auto* button = smallButton(title);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, palette.color(QPalette::Highlight));
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
    button->setPalette(palette);
    button->setDefault(true);
    return button;
}

template <class E>
int indexOf(E value) {
    const auto cases = E::allCases();
    return static_cast<int>(std::find(cases.begin(), cases.end(), value) - cases.begin());
}

}  // namespace

SettingsView::SettingsView(QWidget* parent) : SettingsView(AppState::shared(), parent) {}

SettingsView::SettingsView(AppState& s, QWidget* parent) : QWidget(parent), s_(s) {
    IOSSwitchStyle::install();
    setMinimumSize(kWidth, kMinimumHeight);
    setMaximumWidth(kWidth);

    auto* content = new QWidget;
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(kFormMargin, kFormMargin, kFormMargin, kFormMargin);
    sections->setSpacing(kSectionSpacing);
    FormSection* permissionSection = permissions();
    for (FormSection* section :
         {header(), permissionSection, touchGestures(), mouse(), systemGestures(), general()}) {
        sections->addWidget(section);
    }
    sections->addStretch(1);
    showWhile(permissionSection, [this] { return !s_.permissionsOK(); },
              {&AppState::permissionsOKChanged});

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(scroll);
}

// Bindings -----------------------------------------------------------------------------------

SwitchRow* SettingsView::bindSwitch(SwitchRow* row, Getter<bool> get, Setter<bool> set,
                                    Signal changed) {
    row->setOn((s_.*get)());
    // Shows what the state holds afterwards, so a change that did not take is undone.
    connect(row, &SwitchRow::flipped, this, [this, row, get, set](bool on) {
        (s_.*set)(on);
        row->setOn((s_.*get)());
    });
    connect(&s_, changed, row, [this, row, get] { row->setOn((s_.*get)()); });
    return row;
}

SliderRow* SettingsView::bindSlider(SliderRow* row, Getter<double> get, Setter<double> set,
                                    Signal changed) {
    row->setValue((s_.*get)());
    connect(row, &SliderRow::valueEdited, this, [this, set](double value) { (s_.*set)(value); });
    connect(&s_, changed, row, [this, row, get] { row->setValue((s_.*get)()); });
    return row;
}

template <class E>
PickerRow* SettingsView::picker(const QString& title, const QString& symbol, const QColor& color,
                                Getter<E> get, Setter<E> set, Signal changed) {
    QStringList options;
    for (E option : E::allCases()) options << optionTitle(option.title());
    auto* row = new PickerRow(title, symbol, color, options);
    row->setCurrent(indexOf((s_.*get)()));
    connect(row, &PickerRow::chosen, this, [this, row, get, set](int index) {
        (s_.*set)(E::allCases().at(static_cast<size_t>(index)));
        row->setCurrent(indexOf((s_.*get)()));
    });
    connect(&s_, changed, row, [this, row, get] { row->setCurrent(indexOf((s_.*get)())); });
    return row;
}

void SettingsView::writeThrough(Signal changed, std::function<void()> write) {
    writeThroughs_.push_back({changed, std::move(write)});
}

void SettingsView::showWhile(QWidget* row, const std::function<bool()>& rule,
                             std::initializer_list<Signal> triggers) {
    auto apply = [row, rule] { row->setVisible(rule()); };
    for (Signal trigger : triggers) connect(&s_, trigger, row, apply);
    row->setVisible(rule());
}

// Each time the view comes on screen: observe first, so that what the reload changes is
// written back to the system, as any other change would be.
void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (observing_.empty()) {
        for (const WriteThrough& w : writeThroughs_)
            observing_.push_back(connect(&s_, w.changed, this, w.write));
    }
    s_.reloadMouseSettings();
}

void SettingsView::hideEvent(QHideEvent* event) {
    for (const auto& connection : observing_) disconnect(connection);
    observing_.clear();
    QWidget::hideEvent(event);
}

// Header -------------------------------------------------------------------------------------

FormSection* SettingsView::header() {
    auto* section = new FormSection;
    auto* row = new QWidget;

    preview_ = new TouchPreview;
    preview_->setPoints(s_.touchPoints());
    connect(&s_, &AppState::touchPointsChanged, preview_,
            [this] { preview_->setPoints(s_.touchPoints()); });

    auto* title = new QLabel(tr("Tavix"));
    title->setFont(TextStyles::title());
    connectionDot_ = new QLabel;
    connectionDot_->setFixedSize(kDotSize, kDotSize);
    connectionText_ = new QLabel;
    quiet(connectionText_, TextStyles::callout());
    auto* connection = new QHBoxLayout;
    connection->setSpacing(kHeaderLineSpacing);
    connection->addWidget(connectionDot_, 0, Qt::AlignVCenter);
    connection->addWidget(connectionText_, 1);
    lastGesture_ = new QLabel(lastGestureText(s_.live().lastGesture));
    quiet(lastGesture_, TextStyles::monospacedCaption());
    // One line: a long report is cut at the edge rather than widening the window.
    lastGesture_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(&s_, &AppState::liveChanged, lastGesture_,
            [this] { lastGesture_->setText(lastGestureText(s_.live().lastGesture)); });

    auto* lines = new QVBoxLayout;
    lines->setSpacing(kHeaderLineSpacing);
    lines->addWidget(title);
    lines->addLayout(connection);
    lines->addWidget(lastGesture_);

    auto* master = new QCheckBox;
    master->setAccessibleName(tr("启用 Tavix"));
    master->setChecked(s_.enabled());
    auto showEnabled = [this, master] {
        const QSignalBlocker quietly(master);
        master->setChecked(s_.enabled());
    };
    // toggled, not clicked: a screen reader's toggle action flips it without a click.
    connect(master, &QCheckBox::toggled, this, [this, showEnabled](bool on) {
        s_.setEnabled(on);
        showEnabled();
    });
    connect(&s_, &AppState::enabledChanged, master, showEnabled);
    rescan_ = smallButton(tr("重新扫描"));
    connect(rescan_, &QPushButton::clicked, this, [this] { s_.rescan(); });
    auto* controls = new QVBoxLayout;
    controls->setSpacing(kSwitchColumnSpacing);
    controls->addWidget(master, 0, Qt::AlignHCenter);
    controls->addWidget(rescan_, 0, Qt::AlignHCenter);

    // The preview carries its own transparent margin for its shadow; the gap after it is
    // narrower by that much.
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(preview_);
    layout->addSpacing(kHeaderSpacing - TouchPreview::kMargin);
    layout->addLayout(lines, 1);
    layout->addSpacing(kHeaderSpacing);
    layout->addLayout(controls);

    section->addRow(row);
    // The preview's own margin is more than the header's 6 above and below.
    row->setContentsMargins(0, 0, 0, 0);
    connect(&s_, &AppState::mouseNameChanged, this, &SettingsView::updateConnection);
    updateConnection();
    return section;
}

void SettingsView::updateConnection() {
    const auto& name = s_.mouseName();
    connectionText_->setText(name ? tr("%1 已连接").arg(*name) : tr("未检测到妙控鼠标"));
    const QColor colour = name ? systemColor(SystemColor::green) : secondaryTextColor(palette());
    connectionDot_->setPixmap(dot(colour, devicePixelRatioF()));
    rescan_->setVisible(!name.has_value());
}

// Permissions --------------------------------------------------------------------------------

FormSection* SettingsView::permissions() {
    auto* section = new FormSection(
        tr("权限"),
        tr("「去授权」会安装 Tavix 的 udev 规则。之后若这里仍显示未授权：断开并重新连接妙控鼠标"
           "（关闭再打开蓝牙即可）；仍不行就注销后重新登录。规则装好后，「去授权」会打开帮助页。"
           "授权完成后 Tavix 会自动重启。"));
    struct Grant {
        QString title;
        QString detail;
        Getter<bool> granted;
        Signal changed;
    };
    for (const Grant& grant : {Grant{tr("辅助功能"), tr("模拟右键、点按与缩放"), &AppState::trusted,
                                     &AppState::trustedChanged},
                               Grant{tr("事件发送"), tr("向系统发送合成的鼠标/键盘事件"),
                                     &AppState::postAccess, &AppState::postAccessChanged},
                               Grant{tr("事件监听"), tr("识别物理点击、缩放时屏蔽滚动"),
                                     &AppState::tapRunning, &AppState::tapRunningChanged}}) {
        auto* row = new PermissionRow(grant.title, grant.detail, (s_.*grant.granted)());
        connect(&s_, grant.changed, row,
                [this, row, get = grant.granted] { row->setOk((s_.*get)()); });
        section->addRow(row);
    }

    auto* buttons = new QWidget;
    auto* grant = prominentButton(tr("去授权"));
    connect(grant, &QPushButton::clicked, this, [this] { s_.requestAccessibility(); });
    auto* relaunch = smallButton(tr("重新启动 Tavix"));
    connect(relaunch, &QPushButton::clicked, this, [this] { s_.relaunch(); });
    auto* layout = new QHBoxLayout(buttons);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grant);
    layout->addWidget(relaunch);
    layout->addStretch(1);
    section->addRow(buttons);
    return section;
}

// Touch gestures -----------------------------------------------------------------------------

FormSection* SettingsView::touchGestures() {
    auto* section = new FormSection(tr("触控手势"));

    section->addRow(bindSwitch(
        new SwitchRow(tr("单指轻点以点按"), tr("轻点一下 = 点按，轻点两下 = 连按"),
                      QStringLiteral("hand.point.up.fill"), systemColor(SystemColor::blue)),
        &AppState::oneTapEnabled, &AppState::setOneTapEnabled, &AppState::oneTapEnabledChanged));

    auto* conflict = new QWidget;
    auto* turnOff = smallButton(tr("关闭智能缩放"));
    connect(turnOff, &QPushButton::clicked, this, [this] {
        s_.setSmartZoom(false);
        MouseSettings::setSmartZoom(false);
    });
    auto* conflictLayout = new QHBoxLayout(conflict);
    conflictLayout->setContentsMargins(0, 0, 0, 0);
    conflictLayout->addWidget(
        new RowLabel(tr("与「智能缩放」冲突"), tr("单指轻点两下会同时触发缩放"),
                     QStringLiteral("exclamationmark.triangle.fill"),
                     systemColor(SystemColor::orange)),
        1);
    conflictLayout->addWidget(turnOff, 0, Qt::AlignVCenter);
    section->addRow(conflict);
    showWhile(conflict, [this] { return s_.oneTapEnabled() && s_.smartZoom(); },
              {&AppState::oneTapEnabledChanged, &AppState::smartZoomChanged});

    section->addRow(
        bindSwitch(new SwitchRow(tr("三指轻触"), tr("辅助点按（右键）"),
                                 QStringLiteral("hand.tap.fill"), systemColor(SystemColor::indigo)),
                   &AppState::tapEnabled, &AppState::setTapEnabled, &AppState::tapEnabledChanged));
    auto* tapDuration = bindSlider(new SliderRow({.title = tr("轻触判定时长"),
                                                  .symbol = QStringLiteral("timer"),
                                                  .color = systemColor(SystemColor::gray),
                                                  .lower = 0.18,
                                                  .upper = 0.5,
                                                  .minLabel = tr("短"),
                                                  .maxLabel = tr("长")}),
                                   &AppState::tapMaxDuration, &AppState::setTapMaxDuration,
                                   &AppState::tapMaxDurationChanged);
    section->addRow(tapDuration);
    showWhile(tapDuration, [this] { return s_.tapEnabled(); }, {&AppState::tapEnabledChanged});

    pinchSwitch_ = bindSwitch(
        new SwitchRow(tr("三指捏合"), QString(), QStringLiteral("square.grid.3x3.fill"),
                      systemColor(SystemColor::purple)),
        &AppState::pinch3Enabled, &AppState::setPinch3Enabled, &AppState::pinch3EnabledChanged);
    updatePinchSubtitle();
    connect(&s_, &AppState::pinch3ActionChanged, this, &SettingsView::updatePinchSubtitle);
    section->addRow(pinchSwitch_);
    auto* pinchAction =
        picker<PinchAction>(tr("捏合后打开"), QStringLiteral("arrow.up.forward.app.fill"),
                            systemColor(SystemColor::indigo), &AppState::pinch3Action,
                            &AppState::setPinch3Action, &AppState::pinch3ActionChanged);
    auto* pinchSensitivity =
        bindSlider(new SliderRow({.title = tr("捏合灵敏度"),
                                  .symbol = QStringLiteral("dial.medium.fill"),
                                  .color = systemColor(SystemColor::gray),
                                  .lower = 0,
                                  .upper = 1,
                                  .minLabel = tr("低"),
                                  .maxLabel = tr("高")}),
                   &AppState::pinch3Sensitivity, &AppState::setPinch3Sensitivity,
                   &AppState::pinch3SensitivityChanged);
    for (QWidget* row :
         {static_cast<QWidget*>(pinchAction), static_cast<QWidget*>(pinchSensitivity)}) {
        section->addRow(row);
        showWhile(row, [this] { return s_.pinch3Enabled(); }, {&AppState::pinch3EnabledChanged});
    }

    section->addRow(bindSwitch(
        new SwitchRow(tr("双指捏合 / 张开"), tr("缩小 / 放大"),
                      QStringLiteral("plus.magnifyingglass"), systemColor(SystemColor::green)),
        &AppState::zoomEnabled, &AppState::setZoomEnabled, &AppState::zoomEnabledChanged));
    auto* zoomMode = picker<ZoomMode>(tr("缩放方式"), QStringLiteral("slider.horizontal.3"),
                                      systemColor(SystemColor::teal), &AppState::zoomMode,
                                      &AppState::setZoomMode, &AppState::zoomModeChanged);
    auto* zoomSensitivity = bindSlider(new SliderRow({.title = tr("触发灵敏度"),
                                                      .symbol = QStringLiteral("dial.medium.fill"),
                                                      .color = systemColor(SystemColor::gray),
                                                      .lower = 0,
                                                      .upper = 1,
                                                      .minLabel = tr("低"),
                                                      .maxLabel = tr("高")}),
                                       &AppState::zoomSensitivity, &AppState::setZoomSensitivity,
                                       &AppState::zoomSensitivityChanged);
    auto* zoomSpeed =
        bindSlider(new SliderRow({.title = tr("缩放速度"),
                                  .symbol = QStringLiteral("speedometer"),
                                  .color = systemColor(SystemColor::gray),
                                  .lower = 0.5,
                                  .upper = 3.5,
                                  .minLabel = tr("慢"),
                                  .maxLabel = tr("快")}),
                   &AppState::zoomSpeed, &AppState::setZoomSpeed, &AppState::zoomSpeedChanged);
    for (QWidget* row : {static_cast<QWidget*>(zoomMode), static_cast<QWidget*>(zoomSensitivity),
                         static_cast<QWidget*>(zoomSpeed)}) {
        section->addRow(row);
        showWhile(row, [this] { return s_.zoomEnabled(); }, {&AppState::zoomEnabledChanged});
    }
    return section;
}

void SettingsView::updatePinchSubtitle() {
    pinchSwitch_->setSubtitle(tr("三指或拇指＋三指轻轻收拢 · 打开") +
                              optionTitle(s_.pinch3Action().title()));
}

// The system's mouse settings ----------------------------------------------------------------

FormSection* SettingsView::mouse() {
    auto* section = new FormSection(tr("鼠标"), tr("与「系统设置 › 鼠标」同步，修改即时生效。"));

    section->addRow(bindSlider(new SliderRow({.title = tr("跟踪速度"),
                                              .symbol = QStringLiteral("cursorarrow.motionlines"),
                                              .color = systemColor(SystemColor::blue),
                                              .lower = 0,
                                              .upper = 3,
                                              .onCommit = &MouseSettings::setTrackingSpeed}),
                               &AppState::trackingSpeed, &AppState::setTrackingSpeed,
                               &AppState::trackingSpeedChanged));
    section->addRow(bindSlider(new SliderRow({.title = tr("滚动速度"),
                                              .symbol = QStringLiteral("scroll.fill"),
                                              .color = systemColor(SystemColor::cyan),
                                              .lower = 0,
                                              .upper = 1,
                                              .onCommit = &MouseSettings::setScrollSpeed}),
                               &AppState::scrollSpeed, &AppState::setScrollSpeed,
                               &AppState::scrollSpeedChanged));
    // Reversed: the left end ("慢") stands for the longest interval.
    section->addRow(bindSlider(new SliderRow({.title = tr("连按速度"),
                                              .symbol = QStringLiteral("cursorarrow.click.2"),
                                              .color = systemColor(SystemColor::mint),
                                              .lower = 0.15,
                                              .upper = 2.0,
                                              .reversed = true,
                                              .onCommit = &MouseSettings::setDoubleClickInterval}),
                               &AppState::doubleClick, &AppState::setDoubleClick,
                               &AppState::doubleClickChanged));

    section->addRow(bindSwitch(
        new SwitchRow(tr("自然滚动"), tr("内容跟随手指方向移动"),
                      QStringLiteral("arrow.up.and.down"), systemColor(SystemColor::orange)),
        &AppState::naturalScroll, &AppState::setNaturalScroll, &AppState::naturalScrollChanged));
    writeThrough(&AppState::naturalScrollChanged,
                 [this] { MouseSettings::setNaturalScroll(s_.naturalScroll()); });

    section->addRow(picker<SecondaryClick>(
        tr("辅助点按"), QStringLiteral("computermouse.fill"), systemColor(SystemColor::pink),
        &AppState::secondaryClick, &AppState::setSecondaryClick, &AppState::secondaryClickChanged));
    writeThrough(&AppState::secondaryClickChanged,
                 [this] { MouseSettings::setSecondaryClick(s_.secondaryClick()); });

    section->addRow(bindSwitch(
        new SwitchRow(tr("智能缩放"), tr("单指连按两下 · 放大指针下的内容，再按两下还原"),
                      QStringLiteral("magnifyingglass"),
                      systemColor(SystemColor::yellow)),
        &AppState::smartZoom, &AppState::setSmartZoom, &AppState::smartZoomChanged));
    writeThrough(&AppState::smartZoomChanged,
                 [this] { MouseSettings::setSmartZoom(s_.smartZoom()); });
    return section;
}

FormSection* SettingsView::systemGestures() {
    auto* section = new FormSection(
        tr("系统手势"), tr("若双指缩放时容易误触切换全屏应用，可关闭「在全屏应用间轻扫」。"));
    section->addRow(bindSwitch(
        new SwitchRow(tr("在页面间轻扫"), tr("单指左右轻扫 · 后退 / 前进"),
                      QStringLiteral("arrow.left.arrow.right"), systemColor(SystemColor::blue)),
        &AppState::pageSwipe, &AppState::setPageSwipe, &AppState::pageSwipeChanged));
    writeThrough(&AppState::pageSwipeChanged,
                 [this] { MouseSettings::setPageSwipe(s_.pageSwipe()); });
    section->addRow(bindSwitch(
        new SwitchRow(tr("在全屏应用间轻扫"), tr("双指左右轻扫 · 切换到左 / 右侧的工作区"),
                      QStringLiteral("rectangle.on.rectangle"), systemColor(SystemColor::indigo)),
        &AppState::fullscreenSwipe, &AppState::setFullscreenSwipe,
        &AppState::fullscreenSwipeChanged));
    writeThrough(&AppState::fullscreenSwipeChanged,
                 [this] { MouseSettings::setFullscreenSwipe(s_.fullscreenSwipe()); });
    section->addRow(bindSwitch(
        new SwitchRow(tr("调度中心"), tr("双指连按两下 · 打开或关闭概览"),
                      QStringLiteral("square.grid.2x2.fill"),
                      systemColor(SystemColor::gray)),
        &AppState::missionControlTap, &AppState::setMissionControlTap,
        &AppState::missionControlTapChanged));
    writeThrough(&AppState::missionControlTapChanged,
                 [this] { MouseSettings::setMissionControlTap(s_.missionControlTap()); });
    return section;
}

// General ------------------------------------------------------------------------------------

FormSection* SettingsView::general() {
    auto* section = new FormSection(tr("通用"));
    auto* login = new SwitchRow(tr("登录时打开"), std::nullopt, QStringLiteral("power"),
                                systemColor(SystemColor::gray));
    login->setOn(s_.launchAtLogin());
    // The switch shows what the system reports, also after a change it refused.
    connect(login, &SwitchRow::flipped, this, [this, login](bool on) {
        s_.setLaunchAtLogin(on);
        login->setOn(s_.launchAtLogin());
    });
    connect(&s_, &AppState::launchAtLoginChanged, login,
            [this, login] { login->setOn(s_.launchAtLogin()); });
    section->addRow(login);

    auto* open = new LinkRow(tr("打开系统鼠标设置"), QStringLiteral("gearshape.fill"),
                             systemColor(SystemColor::gray));
    connect(open, &LinkRow::clicked, this, [] { DesktopMouseSettings::open(); });
    section->addRow(open);
    return section;
}

}  // namespace tavix::ui
