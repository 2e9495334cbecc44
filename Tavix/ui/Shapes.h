#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace tavix::ui {

// Outlines and their soft shadows, shared by the badge, the switch and the preview.
class Shapes {
  public:
    // A rounded rectangle whose corners ease into the straight edges (continuous curvature)
    // instead of meeting them in a circular arc.
    static QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius);
    // The device pixel ratio of what `painter` really draws on: the backing store, or the image
    // that QWidget::render() redirects a widget's painting to.
    static qreal pixelRatio(const QPainter& painter);
    // Fully rounded ends across the shorter side.
    static QPainterPath capsule(const QRectF& rect);
    // The shape filled with `color` and blurred with a Gaussian of the given radius, as an
    // image `margin` larger than `bounds` on every side, at the device pixel ratio `dpr`. Draw
    // it at bounds.topLeft() - (margin, margin) plus the shadow's offset.
    static QImage blurredShadow(const QPainterPath& shape, const QRectF& bounds, qreal radius,
                                const QColor& color, qreal dpr, int margin);
};

}  // namespace tavix::ui
