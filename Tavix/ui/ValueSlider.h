#pragma once

#include <QSlider>

namespace tavix::ui {

// A continuous horizontal slider over a range of doubles. Reversed, its left end stands for
// the upper bound and its right end for the lower one. Assistive technologies read and set the
// stored value with the range's bounds, not the slider's internal steps.
class ValueSlider : public QSlider {
    Q_OBJECT
  public:
    // One step per thousandth of the range's unit, so values such as 2.0 or 0.15 are exact.
    static constexpr int kStepsPerUnit = 1000;

    ValueSlider(double lower, double upper, bool reversed, QWidget* parent = nullptr);

    double lower() const { return lower_; }
    double upper() const { return upper_; }
    bool reversed() const { return reversed_; }

    // The value the knob stands for (exact at both ends).
    double storedValue() const;
    // Where the knob sits on the lower … upper axis, left to right: lower + upper − stored
    // when reversed.
    double position() const;
    // Moves the knob to stand for `value`, clamped into the range; emits nothing.
    void showValue(double value);
    // As a user would: moves the knob and emits edited().
    void edit(double value);

  signals:
    // The user moved the knob; the stored value it now stands for.
    void edited(double value);

  private:
    int stepFor(double value) const;
    // The stored value of a step of the lower … upper axis.
    double valueAt(int step) const;

    double lower_;
    double upper_;
    bool reversed_;
    int steps_;
};

}  // namespace tavix::ui
