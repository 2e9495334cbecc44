#include "Tavix/ui/SliderRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Tavix/ui/RowLabel.h"
#include "Tavix/ui/SystemColor.h"
#include "Tavix/ui/TextStyles.h"
#include "Tavix/ui/ValueSlider.h"

namespace tavix::ui {
namespace {

QLabel* endLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setFont(TextStyles::caption());
    label->setAlignment(Qt::AlignCenter);
    label->setFixedWidth(SliderRow::kEndLabelWidth);
    QPalette quiet = label->palette();
    quiet.setColor(QPalette::WindowText, secondaryTextColor(quiet));
    label->setPalette(quiet);
    return label;
}

}  // namespace

SliderRow::SliderRow(Fields fields, QWidget* parent)
    : QWidget(parent),
      value_(fields.value),
      onCommit_(std::move(fields.onCommit)),
      label_(new RowLabel(fields.title, std::nullopt, fields.symbol, fields.color)),
      minLabel_(endLabel(fields.minLabel.isEmpty() ? tr("慢") : fields.minLabel)),
      slider_(new ValueSlider(fields.lower, fields.upper, fields.reversed)),
      maxLabel_(endLabel(fields.maxLabel.isEmpty() ? tr("快") : fields.maxLabel)) {
    slider_->showValue(value_);
    slider_->setAccessibleName(fields.title);
    slider_->setAccessibleDescription(minLabel_->text() + QStringLiteral(" … ") +
                                      maxLabel_->text());
    connect(slider_, &ValueSlider::edited, this, &SliderRow::userEdited);

    auto* track = new QHBoxLayout;
    track->setSpacing(kSpacing);
    track->addWidget(minLabel_);
    track->addWidget(slider_, 1);
    track->addWidget(maxLabel_);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(kSpacing);
    column->setContentsMargins(0, kVerticalMargin, 0, kVerticalMargin);
    column->addWidget(label_);
    column->addLayout(track);
}

QString SliderRow::title() const {
    return label_->title();
}

double SliderRow::sliderPosition() const {
    return slider_->position();
}

void SliderRow::setValue(double value) {
    if (value == value_) return;
    value_ = value;
    slider_->showValue(value);
    if (isVisible() && onCommit_) onCommit_(value_);
}

void SliderRow::userEdited(double value) {
    const double before = value_;
    emit valueEdited(value);
    // An owner that stored the value has already handed it back through setValue(); one that
    // stored something else (a clamp) is not overridden.
    if (value_ == before) setValue(value);
}

}  // namespace tavix::ui
