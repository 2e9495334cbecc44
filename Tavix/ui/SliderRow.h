#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;

namespace tavix::ui {

class RowLabel;
class ValueSlider;

// A titled slider with a word at each end. The row holds the bound value: the owner tells it
// of outside changes with setValue() and stores what the user picks from valueEdited().
// While the row is on screen, every change of the value (from the slider or from setValue)
// calls onCommit once with the new value; the value it shows when it appears does not.
class SliderRow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSpacing = 8;
    static constexpr int kVerticalMargin = 2;
    static constexpr int kEndLabelWidth = 28;

    struct Fields {
        QString title{};
        QString symbol{};
        QColor color{};
        double value = 0;
        double lower = 0;
        double upper = 1;
        // Empty means the default, "慢" and "快".
        QString minLabel{};
        QString maxLabel{};
        bool reversed = false;
        std::function<void(double)> onCommit{};
    };

    explicit SliderRow(Fields fields, QWidget* parent = nullptr);

    double value() const { return value_; }
    // An outside change of the bound value.
    void setValue(double value);
    // The knob's place on the lower … upper axis.
    double sliderPosition() const;

    QString title() const;
    ValueSlider* slider() const { return slider_; }
    QLabel* minLabel() const { return minLabel_; }
    QLabel* maxLabel() const { return maxLabel_; }
    RowLabel* label() const { return label_; }

  signals:
    // The user moved the slider to stand for `value`; the owner stores it in the bound value.
    void valueEdited(double value);

  private:
    void userEdited(double value);

    double value_;
    std::function<void(double)> onCommit_;
    RowLabel* label_;
    QLabel* minLabel_;
    ValueSlider* slider_;
    QLabel* maxLabel_;
};

}  // namespace tavix::ui
