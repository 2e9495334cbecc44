#include "Tavix/ui/LinkRow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "Tavix/ui/RowLabel.h"
#include "Tavix/ui/Symbols.h"
#include "Tavix/ui/SystemColor.h"

namespace tavix::ui {

LinkRow::LinkRow(const QString& title, const QString& symbol, const QColor& color, QWidget* parent)
    : QAbstractButton(parent),
      label_(new RowLabel(title, std::nullopt, symbol, color)),
      arrow_(new QLabel) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    // The button takes the clicks; its parts only draw.
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    arrow_->setAttribute(Qt::WA_TransparentForMouseEvents);
    arrow_->setFixedSize(kArrowSize, kArrowSize);
    paintArrow();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label_, 1);
    row->addWidget(arrow_, 0, Qt::AlignVCenter);
}

QSize LinkRow::sizeHint() const {
    return layout()->totalSizeHint();
}

QSize LinkRow::minimumSizeHint() const {
    return layout()->totalMinimumSize();
}

void LinkRow::paintEvent(QPaintEvent*) {
    if (!hasFocus() && !isDown()) return;
    QPainter p(this);
    QColor shade = palette().color(QPalette::WindowText);
    shade.setAlphaF(isDown() ? 0.08f : 0.04f);
    p.fillRect(rect(), shade);
}

void LinkRow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) paintArrow();
    QAbstractButton::changeEvent(event);
}

void LinkRow::paintArrow() {
    arrow_->setPixmap(Symbols::pixmap(QStringLiteral("arrow.up.right"), kArrowSize,
                                      tertiaryTextColor(palette()), devicePixelRatioF()));
}

}  // namespace tavix::ui
