#include "Tavix/ui/RowLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Tavix/ui/IconBadge.h"
#include "Tavix/ui/SystemColor.h"
#include "Tavix/ui/TextStyles.h"

namespace tavix::ui {
namespace {

QLabel* textLine(const QFont& font) {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(font);
    return label;
}

}  // namespace

RowLabel::RowLabel(const QString& title, std::optional<QString> subtitle, QString symbol, QColor color,
                   QWidget* parent)
    : QWidget(parent),
      badge_(new IconBadge(std::move(symbol), color)),
      title_(textLine(TextStyles::body())),
      subtitleLabel_(textLine(TextStyles::caption())) {
    auto* lines = new QVBoxLayout;
    lines->setSpacing(kLineSpacing);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->addWidget(title_);
    lines->addWidget(subtitleLabel_);

    auto* row = new QHBoxLayout(this);
    row->setSpacing(kSpacing);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(badge_, 0, Qt::AlignVCenter);
    row->addLayout(lines, 1);
    row->setAlignment(lines, Qt::AlignVCenter);

    setTitle(title);
    setSubtitle(std::move(subtitle));
    applyTextColours();
}

QString RowLabel::title() const {
    return title_->text();
}

void RowLabel::setTitle(const QString& title) {
    title_->setText(title);
    setAccessibleName(title);
}

void RowLabel::setSubtitle(std::optional<QString> subtitle) {
    subtitle_ = std::move(subtitle);
    subtitleLabel_->setText(subtitle_.value_or(QString()));
    subtitleLabel_->setVisible(subtitle_.has_value());
    setAccessibleDescription(subtitle_.value_or(QString()));
}

void RowLabel::setSymbol(const QString& symbol) {
    badge_->setSymbol(symbol);
}

void RowLabel::setColor(const QColor& color) {
    badge_->setColor(color);
}

void RowLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) applyTextColours();
    QWidget::changeEvent(event);
}

void RowLabel::applyTextColours() {
    QPalette quiet = subtitleLabel_->palette();
    quiet.setColor(QPalette::WindowText, secondaryTextColor(palette()));
    subtitleLabel_->setPalette(quiet);
}

}  // namespace tavix::ui
