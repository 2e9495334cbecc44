#include "Tavix/ui/Shapes.h"

#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace tavix::ui {
namespace {

// The corner starts this many radii from the corner point and its control points are pulled
// toward the corner so that the middle of the curve sits where a circular arc's middle would.
constexpr qreal kCornerReach = 1.28;
constexpr qreal kControlPull = 0.9256;

std::vector<float> gaussianKernel(qreal sigma) {
    const int half = std::max(1, static_cast<int>(std::ceil(3 * sigma)));
    std::vector<float> kernel(2 * static_cast<size_t>(half) + 1);
    float sum = 0;
    for (size_t j = 0; j < kernel.size(); ++j) {
        const int i = static_cast<int>(j) - half;
        kernel[j] = static_cast<float>(std::exp(-(i * i) / (2 * sigma * sigma)));
        sum += kernel[j];
    }
    for (float& w : kernel) w /= sum;
    return kernel;
}

// One pass of a separable blur over an 8-bit mask, along x (horizontal) or y.
void blurPass(QImage& mask, const std::vector<float>& kernel, bool horizontal) {
    const int half = static_cast<int>(kernel.size() / 2);
    const int w = mask.width();
    const int h = mask.height();
    const QImage source = mask.copy();
    for (int y = 0; y < h; ++y) {
        uchar* out = mask.scanLine(y);
        for (int x = 0; x < w; ++x) {
            float acc = 0;
            for (size_t j = 0; j < kernel.size(); ++j) {
                const int k = static_cast<int>(j) - half;
                const int sx = horizontal ? x + k : x;
                const int sy = horizontal ? y : y + k;
                if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
                acc += kernel[j] * source.constScanLine(sy)[sx];
            }
            out[x] = static_cast<uchar>(std::clamp(std::lround(acc), 0L, 255L));
        }
    }
}

}  // namespace

QPainterPath Shapes::continuousRoundedRect(const QRectF& rect, qreal radius) {
    const qreal reach = std::min({radius * kCornerReach, rect.width() / 2, rect.height() / 2});
    const qreal pull = reach * kControlPull / kCornerReach;
    const qreal l = rect.left(), r = rect.right(), t = rect.top(), b = rect.bottom();
    QPainterPath path;
    path.moveTo(l + reach, t);
    path.lineTo(r - reach, t);
    path.cubicTo(r - reach + pull, t, r, t + reach - pull, r, t + reach);
    path.lineTo(r, b - reach);
    path.cubicTo(r, b - reach + pull, r - reach + pull, b, r - reach, b);
    path.lineTo(l + reach, b);
    path.cubicTo(l + reach - pull, b, l, b - reach + pull, l, b - reach);
    path.lineTo(l, t + reach);
    path.cubicTo(l, t + reach - pull, l + reach - pull, t, l + reach, t);
    path.closeSubpath();
    return path;
}

qreal Shapes::pixelRatio(const QPainter& painter) {
    if (const QPaintEngine* engine = painter.paintEngine())
        if (const QPaintDevice* target = engine->paintDevice()) return target->devicePixelRatioF();
    return painter.device() ? painter.device()->devicePixelRatioF() : 1;
}

QPainterPath Shapes::capsule(const QRectF& rect) {
    const qreal radius = std::min(rect.width(), rect.height()) / 2;
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QImage Shapes::blurredShadow(const QPainterPath& shape, const QRectF& bounds, qreal radius,
                             const QColor& color, qreal dpr, int margin) {
    const QSize logical = bounds.size().toSize() + QSize(2 * margin, 2 * margin);
    QImage mask(logical * dpr, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(dpr, dpr);
        p.translate(margin - bounds.left(), margin - bounds.top());
        p.fillPath(shape, Qt::black);
    }
    const auto kernel = gaussianKernel(radius * dpr / 2);
    blurPass(mask, kernel, true);
    blurPass(mask, kernel, false);

    QImage shadow(mask.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* in = mask.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            const int a = qRound(in[x] * color.alphaF());
            out[x] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), a));
        }
    }
    shadow.setDevicePixelRatio(dpr);
    return shadow;
}

}  // namespace tavix::ui
