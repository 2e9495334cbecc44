#include "Tavix/ui/MenuContent.h"

#include <QCoreApplication>

#include "Tavix/AppState.h"

namespace tavix::ui {

MenuContent::MenuContent(OpenWindow openWindow, QWidget* parent)
    : MenuContent(AppState::shared(), std::move(openWindow), parent) {}

MenuContent::MenuContent(AppState& s, OpenWindow openWindow, QWidget* parent)
    : QMenu(parent),
      s_(s),
      openWindow_(std::move(openWindow)),
      enabled_(item(tr("启用 Tavix"), [this](bool on) { s_.setEnabled(on); })),
      oneTap_(item(tr("单指轻点以点按"), [this](bool on) { s_.setOneTapEnabled(on); })),
      firstSeparator_(separator()),
      status_(item({}, {})),
      grant_(item(tr("⚠︎ 权限未就绪，去授权…"),
                  [this](bool) { s_.requestAccessibility(); })),
      relaunch_(item(tr("重新启动 Tavix"), [this](bool) { s_.relaunch(); })),
      secondSeparator_(separator()),
      settings_(item(tr("设置…"),
                     [this](bool) {
                         if (openWindow_) openWindow_(QStringLiteral("settings"));
                     })),
      quit_(item(tr("退出 Tavix"), [](bool) { QCoreApplication::quit(); })) {
    enabled_->setCheckable(true);
    oneTap_->setCheckable(true);
    status_->setEnabled(false);
    settings_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    quit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    for (auto signal : {&AppState::enabledChanged, &AppState::oneTapEnabledChanged,
                        &AppState::mouseNameChanged, &AppState::permissionsOKChanged}) {
        connect(&s_, signal, this, &MenuContent::rebuild);
    }
    rebuild();
}

QAction* MenuContent::item(const QString& text, std::function<void(bool checked)> action) {
    auto* a = new QAction(text, this);
    // Not in the menu's name: a menu drops every connection of an action it lets go of.
    if (action) connect(a, &QAction::triggered, a, std::move(action));
    return a;
}

QAction* MenuContent::separator() {
    auto* a = new QAction(this);
    a->setSeparator(true);
    return a;
}

void MenuContent::rebuild() {
    enabled_->setChecked(s_.enabled());
    oneTap_->setChecked(s_.oneTapEnabled());
    const auto& name = s_.mouseName();
    status_->setText(name ? tr("%1 已连接").arg(*name) : tr("未检测到妙控鼠标"));

    QList<QAction*> items{enabled_, oneTap_, firstSeparator_, status_};
    if (!s_.permissionsOK()) items << grant_ << relaunch_;
    items << secondSeparator_ << settings_ << quit_;
    // The items are kept, not made afresh: the one being triggered may be what changed the state.
    if (actions() == items) return;
    for (QAction* a : actions()) removeAction(a);
    addActions(items);
}

}  // namespace tavix::ui
