#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;

namespace tavix::ui {

class RowLabel;

// A settings row with a choice: the row's label, free space, then a pop-up of the options.
class PickerRow : public QWidget {
    Q_OBJECT
  public:
    PickerRow(const QString& title, const QString& symbol, const QColor& color,
              const QStringList& options, QWidget* parent = nullptr);

    int current() const;
    // Shows a choice made elsewhere; emits nothing.
    void setCurrent(int index);

    RowLabel* label() const { return label_; }
    QComboBox* picker() const { return picker_; }

  signals:
    // The user picked the option at `index`, in whatever way. The owner answers with
    // setCurrent(), which puts the choice back when it did not take.
    void chosen(int index);

  private:
    RowLabel* label_;
    QComboBox* picker_;
};

}  // namespace tavix::ui
