#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

class QLabel;

namespace tavix::ui {

class RowLabel;

// A whole settings row that is one plain button: the row's label, free space, and a small
// arrow saying that it opens something elsewhere.
class LinkRow : public QAbstractButton {
    Q_OBJECT
  public:
    static constexpr int kArrowSize = 10;

    LinkRow(const QString& title, const QString& symbol, const QColor& color,
            QWidget* parent = nullptr);

    RowLabel* label() const { return label_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void paintArrow();

    RowLabel* label_;
    QLabel* arrow_;
};

}  // namespace tavix::ui
