#pragma once

#include <QPointer>
#include <QProxyStyle>
#include <unordered_map>

#include "Tavix/ui/SpringMotion.h"

class QCheckBox;
class QTimer;

namespace tavix::ui {

// Draws every QCheckBox as a switch: its label (text and icon) at the leading side, then at
// least 8 of space, then a 38 × 23 capsule at the trailing edge. Only the capsule takes clicks.
// Each change of state moves the knob and the track colour on a damped spring driven by
// animationClock(). Other widgets draw as the base style draws them.
class IOSSwitchStyle : public QProxyStyle {
    Q_OBJECT
  public:
    static constexpr qreal kTrackWidth = 38;
    static constexpr qreal kTrackHeight = 23;
    static constexpr qreal kKnobDiameter = 19;
    static constexpr qreal kKnobMargin = 2;
    static constexpr int kLabelGap = 8;
    static constexpr double kResponse = 0.25;
    static constexpr double kDampingFraction = 0.8;

    // Wraps the application's current style; the application takes ownership when installed.
    IOSSwitchStyle();
    // Makes it the application style, once: every check box of the process draws as a switch.
    static IOSSwitchStyle* install();

    // The knob's place between the off end (0) and the on end (1); the spring may overshoot.
    double progress(const QCheckBox& box) const;

    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override;

  private:
    struct Track {
        QPointer<QWidget> widget;
        bool on;
        SpringMotion motion;
    };

    // The current progress of `widget`, starting its spring when `on` differs from the state
    // last seen. State is compared when drawn, so changes made under a QSignalBlocker animate.
    double sync(const QWidget* widget, bool on) const;
    void drawSwitch(QPainter* painter, const QRectF& capsule, double progress, bool enabled) const;
    void tick();
    void forget(QObject* widget);

    mutable std::unordered_map<const QObject*, Track> tracks_;
    QTimer* timer_;
};

}  // namespace tavix::ui
