#include "Tavix/ui/SwitchRow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSignalBlocker>

#include "Tavix/ui/IOSSwitchStyle.h"
#include "Tavix/ui/RowLabel.h"

namespace tavix::ui {

SwitchRow::SwitchRow(const QString& title, std::optional<QString> subtitle, const QString& symbol,
                     const QColor& color, QWidget* parent)
    : QWidget(parent),
      label_(new RowLabel(title, subtitle, symbol, color)),
      switch_(new QCheckBox) {
    switch_->setAccessibleName(title);
    if (subtitle) switch_->setAccessibleDescription(*subtitle);
    // Every way of flipping it counts: a screen reader's toggle action emits no clicked().
    connect(switch_, &QCheckBox::toggled, this, &SwitchRow::flipped);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(IOSSwitchStyle::kLabelGap);
    row->addWidget(label_, 1);
    row->addWidget(switch_, 0, Qt::AlignVCenter);
}

bool SwitchRow::isOn() const {
    return switch_->isChecked();
}

void SwitchRow::setOn(bool on) {
    const QSignalBlocker quiet(switch_);
    switch_->setChecked(on);
}

void SwitchRow::setSubtitle(const QString& subtitle) {
    label_->setSubtitle(subtitle);
    switch_->setAccessibleDescription(subtitle);
}

}  // namespace tavix::ui
