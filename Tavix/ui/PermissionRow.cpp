#include "Tavix/ui/PermissionRow.h"

#include <QHBoxLayout>
#include <QLabel>

#include "Tavix/ui/RowLabel.h"
#include "Tavix/ui/SystemColor.h"
#include "Tavix/ui/TextStyles.h"

namespace tavix::ui {

PermissionRow::PermissionRow(const QString& title, QString detail, bool ok, QWidget* parent)
    : QWidget(parent),
      ok_(!ok),
      label_(new RowLabel(title, std::move(detail), QString(), QColor())),
      status_(new QLabel) {
    status_->setFont(TextStyles::captionMedium());
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    // The label takes the free width, so a long detail line does not wrap early.
    row->addWidget(label_, 1);
    row->addWidget(status_, 0, Qt::AlignVCenter);
    setOk(ok);
}

void PermissionRow::setOk(bool ok) {
    if (ok == ok_) return;
    ok_ = ok;
    const QColor colour = systemColor(ok ? SystemColor::green : SystemColor::orange);
    label_->setSymbol(ok ? QStringLiteral("checkmark.shield.fill")
                         : QStringLiteral("lock.shield.fill"));
    label_->setColor(colour);
    status_->setText(ok ? tr("已就绪") : tr("未授权"));
    QPalette tinted = status_->palette();
    tinted.setColor(QPalette::WindowText, colour);
    status_->setPalette(tinted);
    setAccessibleName(label_->title());
    setAccessibleDescription(status_->text());
}

}  // namespace tavix::ui
