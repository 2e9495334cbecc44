#include "Tavix/ui/TouchPreview.h"

#include <QEasingCurve>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <unordered_map>

#include "Tavix/ui/AnimationClock.h"
#include "Tavix/ui/Shapes.h"

namespace tavix::ui {
namespace {

constexpr int kFrameIntervalMs = 16;
constexpr float kTopWhite = 0.98f;
constexpr float kBottomWhite = 0.90f;
constexpr qreal kBorderWidth = 1;
constexpr float kBorderOpacity = 0.08f;
constexpr qreal kShadowRadius = 6;
constexpr qreal kShadowOffset = 3;
constexpr float kShadowOpacity = 0.08f;
constexpr float kDotOpacity = 0.85f;

const QEasingCurve& easeOut() {
    static const auto& curve = *[] {
        auto* c = new QEasingCurve(QEasingCurve::BezierSpline);
        c->addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
        return c;
    }();
    return curve;
}

// The surface does not change: drawn once per pixel ratio, with its shadow, in widget
// coordinates.
const QImage& surfaceLayer(qreal dpr) {
    static auto& cache = *new std::unordered_map<qreal, QImage>;
    auto [it, added] = cache.try_emplace(dpr);
    if (!added) return it->second;
    const int margin = TouchPreview::kMargin;
    const QRectF surface(margin, margin, TouchPreview::kWidth, TouchPreview::kHeight);
    QImage layer(QSize(static_cast<int>(surface.width()) + 2 * margin,
                       static_cast<int>(surface.height()) + 2 * margin) *
                     dpr,
                 QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.drawImage(QPointF(0, kShadowOffset),
                    Shapes::blurredShadow(Shapes::capsule(surface), surface, kShadowRadius,
                                          QColor::fromRgbF(0, 0, 0, kShadowOpacity), dpr, margin));
        QLinearGradient shading(surface.topLeft(), surface.bottomLeft());
        shading.setColorAt(0, QColor::fromRgbF(kTopWhite, kTopWhite, kTopWhite));
        shading.setColorAt(1, QColor::fromRgbF(kBottomWhite, kBottomWhite, kBottomWhite));
        p.fillPath(Shapes::capsule(surface), shading);
        const qreal half = kBorderWidth / 2;
        p.strokePath(Shapes::capsule(surface.adjusted(half, half, -half, -half)),
                     QPen(QColor::fromRgbF(0, 0, 0, kBorderOpacity), kBorderWidth));
    }
    return it->second = std::move(layer);
}

QPointF mix(QPointF from, QPointF to, double t) {
    return from + (to - from) * t;
}

}  // namespace

TouchPreview::TouchPreview(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(tr("触控预览"));
    updateDescription();
    timer_->setInterval(kFrameIntervalMs);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!isAnimating()) timer_->stop();
        update();
    });
}

QSize TouchPreview::sizeHint() const {
    return QSize(static_cast<int>(kWidth), static_cast<int>(kHeight)) +
           QSize(2 * kMargin, 2 * kMargin);
}

QRectF TouchPreview::surfaceRect() const {
    return {kMargin, kMargin, kWidth, kHeight};
}

QRectF TouchPreview::dotArea() const {
    return surfaceRect().adjusted(kDotInset, kDotInset, -kDotInset, -kDotInset);
}

QPointF TouchPreview::dotCentre(QPointF point, const QRectF& area) {
    return {area.left() + point.x() * area.width(), area.top() + (1 - point.y()) * area.height()};
}

double TouchPreview::progress(double now) const {
    if (!start_) return 1;
    const double t = std::clamp((now - *start_) / kAnimationSeconds, 0.0, 1.0);
    return easeOut().valueForProgress(t);
}

bool TouchPreview::isAnimating() const {
    return start_ && animationNow() - *start_ < kAnimationSeconds;
}

QList<TouchPreview::Dot> TouchPreview::dots() const {
    const double p = progress(animationNow());
    const QRectF area = dotArea();
    QList<Dot> drawn;
    for (qsizetype i = 0; i < points_.size(); ++i) {
        const QPointF target = dotCentre(points_[i], area);
        if (p >= 1)
            drawn.push_back({target, 1});
        else if (i < glide_.size())
            drawn.push_back({mix(glide_[i], target, p), 1});
        else
            drawn.push_back({target, p});
    }
    if (p < 1)
        for (const QPointF& centre : leaving_) drawn.push_back({centre, 1 - p});
    return drawn;
}

void TouchPreview::setPoints(const QList<QPointF>& points) {
    if (points.size() == points_.size()) {
        // Same count: the dots jump; a fade still under way finishes.
        points_ = points;
        const QRectF area = dotArea();
        for (qsizetype i = 0; i < glide_.size(); ++i) glide_[i] = dotCentre(points_[i], area);
        update();
        return;
    }
    const QList<Dot> now = dots();
    const qsizetype kept = std::min(points_.size(), points.size());
    glide_.clear();
    leaving_.clear();
    for (qsizetype i = 0; i < kept; ++i) glide_.push_back(now[i].centre);
    for (qsizetype i = kept; i < points_.size(); ++i) leaving_.push_back(now[i].centre);
    points_ = points;
    start_ = animationNow();
    timer_->start();
    updateDescription();
    update();
}

void TouchPreview::updateDescription() {
    setAccessibleDescription(tr("%1 个手指").arg(points_.size()));
}

void TouchPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(QPointF(0, 0), surfaceLayer(Shapes::pixelRatio(p)));

    // The accent of an active window: the preview is watched while another window has focus.
    QColor accent = palette().color(QPalette::Active, QPalette::Highlight);
    p.setPen(Qt::NoPen);
    for (const Dot& dot : dots()) {
        accent.setAlphaF(kDotOpacity * static_cast<float>(dot.opacity));
        p.setBrush(accent);
        p.drawEllipse(dot.centre, kDotDiameter / 2, kDotDiameter / 2);
    }
}

}  // namespace tavix::ui
