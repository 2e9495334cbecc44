#include "Tavix/ui/IconBadge.h"

#include <QLinearGradient>
#include <QPainter>

#include "Tavix/ui/Shapes.h"
#include "Tavix/ui/Symbols.h"

namespace tavix::ui {
namespace {

// The top of the shading: the colour lifted a little toward white.
constexpr float kHighlight = 0.18f;

QColor lifted(const QColor& c) {
    return QColor::fromRgbF(c.redF() + (1 - c.redF()) * kHighlight,
                            c.greenF() + (1 - c.greenF()) * kHighlight,
                            c.blueF() + (1 - c.blueF()) * kHighlight, c.alphaF());
}

}  // namespace

IconBadge::IconBadge(QString symbol, QColor color, QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), color_(color) {
    setFixedSize(kSize, kSize);
}

void IconBadge::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    update();
}

void IconBadge::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void IconBadge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(0, 0, kSize, kSize);
    QLinearGradient shading(frame.topLeft(), frame.bottomLeft());
    shading.setColorAt(0, lifted(color_));
    shading.setColorAt(1, color_);
    p.fillPath(Shapes::continuousRoundedRect(frame, kCornerRadius), shading);

    const QPixmap glyph = Symbols::pixmap(symbol_, kSymbolBox, Qt::white, Shapes::pixelRatio(p));
    const qreal inset = (kSize - kSymbolBox) / 2.0;
    p.drawPixmap(QPointF(inset, inset), glyph);
}

}  // namespace tavix::ui
