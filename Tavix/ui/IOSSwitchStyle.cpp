#include "Tavix/ui/IOSSwitchStyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QStyleOptionButton>
#include <QTimer>
#include <algorithm>

#include "Tavix/ui/AnimationClock.h"
#include "Tavix/ui/Shapes.h"

namespace tavix::ui {
namespace {

constexpr int kFrameIntervalMs = 16;
constexpr qreal kKnobShadowBlur = 1.5;
constexpr qreal kKnobShadowOffset = 1;
constexpr int kKnobShadowMargin = 3;

const QColor kOnColor = QColor::fromRgbF(0.20f, 0.78f, 0.35f);
const QColor kOffColor = QColor::fromRgbF(0.86f, 0.86f, 0.86f);

bool isSwitch(const QWidget* widget) {
    return qobject_cast<const QCheckBox*>(widget) != nullptr;
}

QColor mix(const QColor& from, const QColor& to, double t) {
    const auto f = static_cast<float>(std::clamp(t, 0.0, 1.0));
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * f,
                            from.greenF() + (to.greenF() - from.greenF()) * f,
                            from.blueF() + (to.blueF() - from.blueF()) * f);
}

const QImage& knobShadow(qreal dpr) {
    static auto& cache = *new std::unordered_map<qreal, QImage>;
    auto [it, added] = cache.try_emplace(dpr);
    if (added) {
        const QRectF bounds(0, 0, IOSSwitchStyle::kKnobDiameter, IOSSwitchStyle::kKnobDiameter);
        QPainterPath circle;
        circle.addEllipse(bounds);
        it->second =
            Shapes::blurredShadow(circle, bounds, kKnobShadowBlur, QColor::fromRgbF(0, 0, 0, 0.18f),
                                  dpr, kKnobShadowMargin);
    }
    return it->second;
}

}  // namespace

IOSSwitchStyle::IOSSwitchStyle()
    : QProxyStyle(QApplication::style() ? QApplication::style()->name() : QString()),
      timer_(new QTimer(this)) {
    timer_->setInterval(kFrameIntervalMs);
    connect(timer_, &QTimer::timeout, this, &IOSSwitchStyle::tick);
}

IOSSwitchStyle* IOSSwitchStyle::install() {
    if (auto* current = qobject_cast<IOSSwitchStyle*>(QApplication::style())) return current;
    auto* style = new IOSSwitchStyle;
    QApplication::setStyle(style);
    return style;
}

double IOSSwitchStyle::progress(const QCheckBox& box) const {
    return sync(&box, box.isChecked());
}

void IOSSwitchStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (!isSwitch(widget)) return;
    connect(widget, &QObject::destroyed, this, &IOSSwitchStyle::forget, Qt::UniqueConnection);
}

void IOSSwitchStyle::unpolish(QWidget* widget) {
    forget(widget);
    QProxyStyle::unpolish(widget);
}

void IOSSwitchStyle::forget(QObject* widget) {
    tracks_.erase(widget);
}

double IOSSwitchStyle::sync(const QWidget* widget, bool on) const {
    const double end = on ? 1 : 0;
    auto it = tracks_.find(widget);
    if (it == tracks_.end()) {
        tracks_.emplace(widget, Track{const_cast<QWidget*>(widget), on,
                                      SpringMotion(kResponse, kDampingFraction, end)});
        return end;
    }
    Track& track = it->second;
    const double now = animationNow();
    if (track.on != on) {
        track.on = on;
        track.motion.setTarget(end, now);
        if (!timer_->isActive()) timer_->start();
    }
    return track.motion.value(now);
}

void IOSSwitchStyle::tick() {
    const double now = animationNow();
    bool moving = false;
    for (auto& [key, track] : tracks_) {
        if (!track.widget || track.motion.isSettled(now)) continue;
        track.widget->update();
        moving = true;
    }
    if (!moving) timer_->stop();
}

void IOSSwitchStyle::drawControl(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != CE_CheckBox || !button || !isSwitch(widget)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    if (!button->text.isEmpty() || !button->icon.isNull()) {
        QStyleOptionButton label = *button;
        label.rect = subElementRect(SE_CheckBoxContents, option, widget);
        proxy()->drawControl(CE_CheckBoxLabel, &label, painter, widget);
    }
    const QRectF capsule = subElementRect(SE_CheckBoxIndicator, option, widget);
    drawSwitch(painter, capsule, sync(widget, option->state & State_On),
               option->state & State_Enabled);
    if (option->state & State_HasFocus) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
        painter->drawPath(Shapes::capsule(capsule.adjusted(-1, -1, 1, 1)));
        painter->restore();
    }
}

void IOSSwitchStyle::drawSwitch(QPainter* painter, const QRectF& capsule, double progress,
                                bool enabled) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (!enabled) painter->setOpacity(0.5);
    painter->fillPath(Shapes::capsule(capsule), mix(kOffColor, kOnColor, progress));

    const qreal travel = kTrackWidth - kTrackHeight;
    const QRectF knob(capsule.left() + kKnobMargin + progress * travel, capsule.top() + kKnobMargin,
                      kKnobDiameter, kKnobDiameter);
    const qreal dpr = Shapes::pixelRatio(*painter);
    painter->drawImage(
        knob.topLeft() + QPointF(-kKnobShadowMargin, -kKnobShadowMargin + kKnobShadowOffset),
        knobShadow(dpr));
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::white);
    painter->drawEllipse(knob);
    painter->restore();
}

QRect IOSSwitchStyle::subElementRect(SubElement element, const QStyleOption* option,
                                     const QWidget* widget) const {
    if (!isSwitch(widget)) return QProxyStyle::subElementRect(element, option, widget);
    const QRect& r = option->rect;
    const int w = static_cast<int>(kTrackWidth);
    const int h = static_cast<int>(kTrackHeight);
    const QRect capsule = visualRect(
        option->direction, r, QRect(r.right() + 1 - w, r.top() + (r.height() - h) / 2, w, h));
    switch (element) {
        case SE_CheckBoxIndicator:
        case SE_CheckBoxClickRect:
            return capsule;
        case SE_CheckBoxFocusRect:
            return capsule.adjusted(-2, -2, 2, 2);
        case SE_CheckBoxContents:
            return visualRect(
                option->direction, r,
                QRect(r.left(), r.top(), std::max(0, r.width() - w - kLabelGap), r.height()));
        case SE_CheckBoxLayoutItem:
            return r;
        default:
            return QProxyStyle::subElementRect(element, option, widget);
    }
}

QSize IOSSwitchStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                       const QSize& contents, const QWidget* widget) const {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (type != CT_CheckBox || !button || !isSwitch(widget))
        return QProxyStyle::sizeFromContents(type, option, contents, widget);
    const QSize track(static_cast<int>(kTrackWidth), static_cast<int>(kTrackHeight));
    if (button->text.isEmpty() && button->icon.isNull()) return track;
    return {contents.width() + kLabelGap + track.width(),
            std::max(contents.height(), track.height())};
}

}  // namespace tavix::ui
