#include "Tavix/ui/PickerRow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QSignalBlocker>
#include <vector>

#include "Tavix/ui/RowLabel.h"

namespace tavix::ui {
namespace {

// One option of a picker, as assistive technologies see it: pressing it chooses it.
class PickerOption final : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    PickerOption(QComboBox* picker, int index) : picker_(picker), index_(index) {}

    bool isValid() const override { return picker_ && index_ < picker_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return picker_ ? picker_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(picker_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? picker_->itemText(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = isValid() && picker_->currentIndex() == index_;
        state.disabled = !picker_ || !picker_->isEnabled();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid() && picker_->isEnabled())
            picker_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QPointer<QComboBox> picker_;
    int index_;
};

// Qt on Linux names a pop-up by its current choice. A screen reader should hear the row's
// title as the name and the choice as the value, open the list, and find every option among
// the children, ready to be chosen.
class PickerAccessible final : public QAccessibleWidget {
  public:
    explicit PickerAccessible(QComboBox* picker)
        : QAccessibleWidget(picker, QAccessible::ComboBox) {}
    ~PickerAccessible() override {
        for (const QAccessible::Id id : options_) QAccessible::deleteAccessibleInterface(id);
    }
    PickerAccessible(const PickerAccessible&) = delete;
    PickerAccessible& operator=(const PickerAccessible&) = delete;

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

    int childCount() const override { return picker()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        while (static_cast<int>(options_.size()) <= index) {
            options_.push_back(QAccessible::registerAccessibleInterface(
                new PickerOption(picker(), static_cast<int>(options_.size()))));
        }
        return QAccessible::accessibleInterface(options_[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < options_.size(); ++i)
            if (QAccessible::accessibleInterface(options_[i]) == child) return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  private:
    QComboBox* picker() const { return static_cast<QComboBox*>(widget()); }

    // Registered with Qt on first use, deleted with this interface.
    mutable std::vector<QAccessible::Id> options_;
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
    // Any change of the choice is the user's: pointer, keyboard, wheel or an accessible option.
    // The row's own updates are made with signals blocked.
    connect(picker_, &QComboBox::currentIndexChanged, this, &PickerRow::chosen);

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
