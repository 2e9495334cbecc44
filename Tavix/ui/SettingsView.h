#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tavix {
class AppState;
}

namespace tavix::ui {

class FormSection;
class PermissionRow;
class PickerRow;
class SliderRow;
class SwitchRow;
class TouchPreview;

// The settings window's content: a live header, the permissions while one is missing, the
// gesture settings, the system's mouse settings, three system gestures and general options,
// as one scrolling grouped form. Every control is bound to a property of the application state;
// changes of the system's mouse settings are written through to the system while it is shown.
class SettingsView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 460;
    static constexpr int kMinimumHeight = 560;

    explicit SettingsView(QWidget* parent = nullptr);
    explicit SettingsView(AppState& s, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {kWidth, kMinimumHeight}; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    using Signal = void (AppState::*)();
    template <class T>
    using Getter = T (AppState::*)() const;
    template <class T>
    using Setter = void (AppState::*)(T);

    struct WriteThrough {
        Signal changed;
        std::function<void()> write;
    };

    FormSection* header();
    FormSection* permissions();
    FormSection* touchGestures();
    FormSection* mouse();
    FormSection* systemGestures();
    FormSection* general();

    SwitchRow* bindSwitch(SwitchRow* row, Getter<bool> get, Setter<bool> set, Signal changed);
    SliderRow* bindSlider(SliderRow* row, Getter<double> get, Setter<double> set, Signal changed);
    template <class E>
    PickerRow* picker(const QString& title, const QString& symbol, const QColor& color,
                      Getter<E> get, Setter<E> set, Signal changed);
    // Writes `write` through whenever `changed` is announced while the view is shown.
    void writeThrough(Signal changed, std::function<void()> write);
    // Shows a row only while `rule` holds, re-checked whenever one of `triggers` is announced.
    void showWhile(QWidget* row, const std::function<bool()>& rule,
                   std::initializer_list<Signal> triggers);

    void updateConnection();
    void updatePinchSubtitle();

    AppState& s_;
    std::vector<WriteThrough> writeThroughs_;
    std::vector<QMetaObject::Connection> observing_;

    TouchPreview* preview_ = nullptr;
    QLabel* connectionDot_ = nullptr;
    QLabel* connectionText_ = nullptr;
    QLabel* lastGesture_ = nullptr;
    QPushButton* rescan_ = nullptr;
    SwitchRow* pinchSwitch_ = nullptr;
};

}  // namespace tavix::ui
