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
    : QSlider(Qt::Horizontal, parent), lower_(lower), upper_(upper), reversed_(reversed) {
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleFactory), true);
    (void)factoryInstalled;
    setRange(0, kSteps);
    setSingleStep(kSteps / 100);
    setPageStep(kSteps / 10);
    setTickPosition(NoTicks);
    // QAbstractSlider itself tells assistive technologies of every change; they then read
    // the stored value from the interface above.
    connect(this, &QSlider::valueChanged, this, [this] { emit edited(storedValue()); });
}

double ValueSlider::storedValue() const {
    const double t = static_cast<double>(value()) / kSteps;
    return reversed_ ? std::lerp(upper_, lower_, t) : std::lerp(lower_, upper_, t);
}

double ValueSlider::position() const {
    return std::lerp(lower_, upper_, static_cast<double>(value()) / kSteps);
}

int ValueSlider::stepFor(double value) const {
    if (!(upper_ > lower_)) return 0;
    const double t = (reversed_ ? upper_ - value : value - lower_) / (upper_ - lower_);
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * kSteps));
}

void ValueSlider::showValue(double value) {
    const QSignalBlocker quiet(this);
    setValue(stepFor(value));
}

void ValueSlider::edit(double value) {
    setValue(stepFor(value));
}

}  // namespace tavix::ui
