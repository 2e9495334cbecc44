#include "Tavix/ui/PickerRow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>

#include "Tavix/ui/RowLabel.h"

namespace tavix::ui {
namespace {

// Qt on Linux names a pop-up by its current choice. A screen reader should hear the row's
// title as the name and the choice as the value, and be able to open the list.
class PickerAccessible : public QAccessibleWidget {
  public:
    explicit PickerAccessible(QComboBox* picker)
        : QAccessibleWidget(picker, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return picker()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            picker()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    QComboBox* picker() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& key, QObject* object) {
    if (key != QLatin1String(QComboBox::staticMetaObject.className())) return nullptr;
    auto* picker = qobject_cast<QComboBox*>(object);
    if (!picker || !qobject_cast<PickerRow*>(picker->parent())) return nullptr;
    return new PickerAccessible(picker);
}

}  // namespace

PickerRow::PickerRow(const QString& title, const QString& symbol, const QColor& color,
                     const QStringList& options, QWidget* parent)
    : QWidget(parent),
      label_(new RowLabel(title, std::nullopt, symbol, color)),
      // Made inside the row, so that its accessible interface, made at the first change, is ours.
      picker_(new QComboBox(this)) {
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleFactory), true);
    (void)factoryInstalled;
    picker_->addItems(options);
    picker_->setAccessibleName(title);
    picker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(picker_, &QComboBox::activated, this, &PickerRow::chosen);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label_, 1);
    row->addWidget(picker_, 0, Qt::AlignVCenter);
}

int PickerRow::current() const {
    return picker_->currentIndex();
}

void PickerRow::setCurrent(int index) {
    const QSignalBlocker quiet(picker_);
    picker_->setCurrentIndex(index);
}

}  // namespace tavix::ui
