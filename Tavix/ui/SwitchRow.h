#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>

class QCheckBox;

namespace tavix::ui {

class RowLabel;

// A settings row with a switch: the row's label, free space, then the switch. The switch is a
// check box, so the installed IOSSwitchStyle draws it; assistive technologies read it by the
// row's title, as a checkable control with its state.
class SwitchRow : public QWidget {
    Q_OBJECT
  public:
    SwitchRow(const QString& title, std::optional<QString> subtitle, const QString& symbol,
              const QColor& color, QWidget* parent = nullptr);

    bool isOn() const;
    // Shows a state that changed elsewhere; emits nothing.
    void setOn(bool on);
    void setSubtitle(const QString& subtitle);

    RowLabel* label() const { return label_; }
    QCheckBox* toggle() const { return switch_; }

  signals:
    // The user flipped the switch, by pointer, keyboard or an accessibility action. The owner
    // answers with setOn(), which puts the switch back when the change did not take.
    void flipped(bool on);

  private:
    RowLabel* label_;
    QCheckBox* switch_;
};

}  // namespace tavix::ui
