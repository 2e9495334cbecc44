#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <optional>

class QTimer;

namespace tavix::ui {

// A picture of the mouse's touch surface, an upright pale capsule, with one dot for each
// finger on it. Points are normalized surface positions, origin at the bottom left, y up. The
// dot at index i stays the same dot from one update to the next; only updates that change the
// number of points are animated.
class TouchPreview : public QWidget {
    Q_OBJECT
  public:
    static constexpr qreal kWidth = 58;
    static constexpr qreal kHeight = 96;
    static constexpr qreal kDotInset = 6;
    static constexpr qreal kDotDiameter = 14;
    // Room around the surface for its shadow and for dots past its edges; the widget is this
    // much larger than the surface on every side, so a layout around it spaces by this less.
    static constexpr int kMargin = 12;
    static constexpr double kAnimationSeconds = 0.08;

    explicit TouchPreview(QWidget* parent = nullptr);

    void setPoints(const QList<QPointF>& points);
    const QList<QPointF>& points() const { return points_; }

    // The 58 × 96 surface, in widget coordinates.
    QRectF surfaceRect() const;
    // The surface inset by kDotInset: where the dot centres of points in 0…1 fall.
    QRectF dotArea() const;
    static QPointF dotCentre(QPointF point, const QRectF& area);

    struct Dot {
        QPointF centre;
        qreal opacity;
    };
    // The dots as drawn at the animation clock's present moment, in drawing order.
    QList<Dot> dots() const;
    bool isAnimating() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double progress(double now) const;
    void updateDescription();

    QList<QPointF> points_;
    // The animation under way: where the first `glide_.size()` dots started from, where the
    // removed dots stood, and when it started.
    QList<QPointF> glide_;
    QList<QPointF> leaving_;
    std::optional<double> start_;
    QTimer* timer_;
};

}  // namespace tavix::ui
