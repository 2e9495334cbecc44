#include "Tavix/ui/FormSection.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "Tavix/ui/RowLabel.h"
#include "Tavix/ui/Shapes.h"
#include "Tavix/ui/SystemColor.h"
#include "Tavix/ui/TextStyles.h"

namespace tavix::ui {
namespace {

constexpr int kTextGap = 5;
// Hairlines start under the row's text, past its badge.
constexpr int kHairlineIndent = 24 + RowLabel::kSpacing;

QLabel* note(const QString& text, const QFont& font) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(font);
    label->setContentsMargins(FormSection::kTextInset, 0, FormSection::kTextInset, 0);
    QPalette quiet = label->palette();
    quiet.setColor(QPalette::WindowText, secondaryTextColor(quiet));
    label->setPalette(quiet);
    label->setVisible(!text.isEmpty());
    return label;
}

}  // namespace

FormSection::FormSection(const QString& header, const QString& footer, QWidget* parent)
    : QWidget(parent),
      header_(note(header, TextStyles::captionMedium())),
      footer_(note(footer, TextStyles::caption())),
      plate_(new QWidget),
      rows_(new QVBoxLayout(plate_)) {
    rows_->setContentsMargins(kSidePadding, 0, kSidePadding, 0);
    rows_->setSpacing(0);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kTextGap);
    column->addWidget(header_);
    column->addWidget(plate_);
    column->addWidget(footer_);
    if (!header.isEmpty()) setAccessibleName(header);
}

void FormSection::addRow(QWidget* row) {
    row->setContentsMargins(0, kRowPadding, 0, kRowPadding);
    row->installEventFilter(this);
    rows_->addWidget(row);
}

bool FormSection::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::Move ||
        type == QEvent::Resize)
        update();
    return QWidget::eventFilter(watched, event);
}

void FormSection::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = plate_->geometry();
    p.fillPath(Shapes::continuousRoundedRect(plate, kCornerRadius),
               palette().color(QPalette::Base));

    QColor hairline = palette().color(QPalette::WindowText);
    hairline.setAlphaF(0.1f);
    p.setPen(QPen(hairline, 1));
    p.setRenderHint(QPainter::Antialiasing, false);
    bool first = true;
    for (int i = 0; i < rows_->count(); ++i) {
        const QWidget* row = rows_->itemAt(i)->widget();
        if (!row || row->isHidden()) continue;
        if (!first) {
            const int y = plate_->y() + row->y();
            p.drawLine(QPoint(int(plate.left()) + kSidePadding + kHairlineIndent, y),
                       QPoint(int(plate.right()), y));
        }
        first = false;
    }
}

}  // namespace tavix::ui
