#include "Tavix/ui/ValueSlider.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

namespace tavix::ui {
namespace {

class ValueSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit ValueSliderAccessible(ValueSlider* slider)
        : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return slider()->storedValue(); }
    void setCurrentValue(const QVariant& value) override { slider()->edit(value.toDouble()); }
    QVariant maximumValue() const override { return slider()->upper(); }
    QVariant minimumValue() const override { return slider()->lower(); }
    QVariant minimumStepSize() const override {
        return (slider()->upper() - slider()->lower()) / 100;
    }

    // A step up or down of the value read above, whichever way the slider runs on screen.
    QStringList actionNames() const override {
        return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action != increaseAction() && action != decreaseAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (!slider()->isEnabled()) return;
        const bool rightwards = (action == increaseAction()) != slider()->reversed();
        slider()->triggerAction(rightwards ? QAbstractSlider::SliderSingleStepAdd
                                           : QAbstractSlider::SliderSingleStepSub);
    }

  private:
    ValueSlider* slider() const { return static_cast<ValueSlider*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& key, QObject* object) {
    if (key == QLatin1String(ValueSlider::staticMetaObject.className()))
        if (auto* slider = qobject_cast<ValueSlider*>(object))
            return new ValueSliderAccessible(slider);
    return nullptr;
}

}  // namespace

ValueSlider::ValueSlider(double lower, double upper, bool reversed, QWidget* parent)
    : QSlider(Qt::Horizontal, parent),
      lower_(lower),
      upper_(upper),
      reversed_(reversed),
      steps_(std::max(1, static_cast<int>(std::lround((upper - lower) * kStepsPerUnit)))) {
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleFactory), true);
    (void)factoryInstalled;
    setRange(0, steps_);
    setSingleStep(std::max(1, steps_ / 100));
    setPageStep(std::max(1, steps_ / 10));
    setTickPosition(NoTicks);
    // QAbstractSlider itself tells assistive technologies of every change; they then read
    // the stored value from the interface above.
    connect(this, &QSlider::valueChanged, this, [this] { emit edited(storedValue()); });
}

double ValueSlider::valueAt(int step) const {
    if (step <= 0) return lower_;
    if (step >= steps_) return upper_;
    // Counted in thousandths and divided once, so a step lands on the decimal it stands for.
    return (std::round(lower_ * kStepsPerUnit) + step) / kStepsPerUnit;
}

double ValueSlider::storedValue() const {
    return valueAt(reversed_ ? steps_ - value() : value());
}

double ValueSlider::position() const {
    return valueAt(value());
}

int ValueSlider::stepFor(double value) const {
    if (!(upper_ > lower_)) return 0;
    const double t = (reversed_ ? upper_ - value : value - lower_) / (upper_ - lower_);
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * steps_));
}

void ValueSlider::showValue(double value) {
    const QSignalBlocker quiet(this);
    setValue(stepFor(value));
}

void ValueSlider::edit(double value) {
    setValue(stepFor(value));
}

}  // namespace tavix::ui
